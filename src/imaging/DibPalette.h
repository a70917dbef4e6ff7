// CDibPalette: the shared palette, made from the colour table of one CDib.
#pragma once

#include "framework/Palette.h"

class CDib;

class CDibPalette : public CPalette {
public:
    explicit CDibPalette(CDib* pDib);
    ~CDibPalette() override;

    // A palette of the image's colour count with its colours; FALSE without a header or colours.
    BOOL CreateFromDib(CDib* pDib);
    // On palette displays: becomes the system palette as realised, static colours at both ends
    // and the rest marked PC_NOCOLLAPSE. FALSE (unchanged) on any other display.
    BOOL MakeIdentity();
};
