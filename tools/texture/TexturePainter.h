// Paints a texture recipe and encodes it as the engine's TGA reader takes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/texture/TextureRecipe.h"

// The recipe's pixels, R, G, B, A rows top first; false with the recipe line and a message
// when its text cannot be drawn.
bool PaintTexture(const CTextureRecipe& recipe, std::vector<uint8_t>* rgba, int* line, std::string* error);
// 24 or 32: the recipe's depth, else 32 for kinds with alpha and 24 for the others.
uint32_t TextureDepth(const CTextureRecipe& recipe);
// The TGA file of painted pixels in the recipe's depth and encoding.
std::vector<uint8_t> EncodeTexture(const CTextureRecipe& recipe, const std::vector<uint8_t>& rgba);
// A recipe's text to its TGA file; false with the line and a message on any refusal.
bool MakeTextureFromRecipe(const std::string& text, std::vector<uint8_t>* tga, int* line, std::string* error);
