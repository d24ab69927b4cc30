// Reading and writing PNG pictures of 0x00RRGGBB pixels, for previews of the art and for
// captured frames. Files are 8-bit RGB without alpha; writing the same pixels always gives
// the same bytes.
#pragma once

#include <cstdint>
#include <vector>

// Writes width x height pixels, row after row from the top, as an RGB PNG file. The top
// byte of each pixel is ignored. False when the size is not positive or the file cannot be
// written.
bool writePng(const char* path, const uint32_t* pixels, int width, int height);

// Reads any PNG file into 0x00RRGGBB pixels, row after row from the top; grey, palette and
// 16-bit files are converted, and transparency is laid over black. False (with the outputs
// emptied) when the file is missing or is no readable PNG.
bool readPng(const char* path, std::vector<uint32_t>& pixels, int& width, int& height);
