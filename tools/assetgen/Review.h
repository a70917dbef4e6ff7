// Contact sheets of the pictures for a person to look at (PPM; the review script makes PNGs).
#pragma once
#include <string>

#include "Pictures.h"

// Writes the sheets into `dir`; false if a file cannot be written.
bool WriteReviewSheets(const PictureSet& set, const std::string& dir);
