// Colour-key copies between device contexts: the key colour of a picture, a mask made
// from it, and the masked copy itself. A mask is a monochrome bitmap in which 1 marks a
// key-coloured (transparent) pixel, where the destination is left as it is, and 0 a
// pixel where the source is copied.
#pragma once

#include <windows.h>

// The colour of the pixel at (rect.left, rect.bottom): the bottom-left pixel of a picture
// whose rectangle is given with inclusive right and bottom.
COLORREF CornerPixel(HDC dc, const RECT& rect);

// Copies `source` (Left, Top, Right, Bottom of `dc`) to `point` of `destination`, leaving
// out every pixel of the key colour.
void ColorKeyBlit(HDC source, HDC destination, const RECT& rect, POINT point, COLORREF key);

// Copies the source rectangle, scaled to the destination rectangle, wherever the mask (in
// `maskDC`, laid out like the source) is 0. On the NT platform an unscaled copy goes
// through MaskBlt; every other goes through four StretchBlt calls. Both give the same
// picture.
void TransparentStretchBlit(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, HDC maskDC,
                            int xm, int ym);

// The four-StretchBlt way, usable on any platform and at any scale.
void MaskedStretchBlit(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, HDC maskDC,
                       int xm, int ym);
