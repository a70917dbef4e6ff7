// assetgen: writes every picture and sound of the saver, byte for byte the same on every run.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "Cues.h"
#include "Doors.h"
#include "Formats.h"
#include "Icons.h"
#include "Pictures.h"
#include "Review.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: assetgen [--out DIR] [--review DIR] [--no-sound]\n"
                 "  --out DIR     write DIR/art/*.bmp, *.ico, *.cur and DIR/sound/*.wav\n"
                 "  --review DIR  write contact sheets (PPM) of every picture into DIR\n");
    return 2;
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (WriteFile(path, bytes)) return true;
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return false;
}

bool WriteArt(const PictureSet& set, const std::string& dir) {
    bool ok = Save(dir + "/673.bmp", EncodeBmp8(set.background, true));
    ok = Save(dir + "/670.bmp", EncodeBmp8(set.title, false)) && ok;
    ok = Save(dir + "/858.bmp", EncodeBmp8(set.flash, false)) && ok;
    ok = Save(dir + "/873.bmp", EncodeBmp8(set.preview, false)) && ok;
    for (int d = 0; d < doors::Count(); ++d)
        for (int f = 0; f < doors::Spec(d).frames; ++f)
            ok = Save(dir + "/" + std::to_string(doors::ResourceId(d, f)) + ".bmp",
                      EncodeBmp8(set.doors[static_cast<size_t>(d)][static_cast<size_t>(f)], false)) &&
                 ok;
    std::vector<IndexedImage> pics;
    std::vector<std::vector<uint8_t>> masks(2);
    pics.push_back(icons::Draw(32, masks[0]));
    pics.push_back(icons::Draw(16, masks[1]));
    std::vector<uint8_t> ico = EncodeIco4(pics, masks);
    ok = Save(dir + "/icon128.ico", ico) && ok;
    ok = Save(dir + "/icon671.ico", ico) && ok;
    ok = Save(dir + "/cursor129.cur", EncodeBlankCursor()) && ok;
    return ok;
}

bool WriteSounds(const std::string& dir) {
    bool ok = true;
    for (const cues::CueInfo& c : cues::Table())
        ok = Save(dir + "/" + std::to_string(c.id) + ".wav", EncodeWav16(cues::Render(c), c.rate)) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, review;
    bool sound = true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--out") && i + 1 < argc) out = argv[++i];
        else if (!std::strcmp(argv[i], "--review") && i + 1 < argc) review = argv[++i];
        else if (!std::strcmp(argv[i], "--no-sound")) sound = false;
        else return Usage();
    }
    if (out.empty() && review.empty()) return Usage();
    std::error_code ec;
    PictureSet set = BuildPictures();
    bool ok = true;
    if (!out.empty()) {
        std::filesystem::create_directories(out + "/art", ec);
        std::filesystem::create_directories(out + "/sound", ec);
        ok = WriteArt(set, out + "/art") && ok;
        if (sound) ok = WriteSounds(out + "/sound") && ok;
    }
    if (!review.empty()) {
        std::filesystem::create_directories(review, ec);
        if (!WriteReviewSheets(set, review)) {
            std::fprintf(stderr, "assetgen: cannot write review sheets into %s\n", review.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
