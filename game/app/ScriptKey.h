// The key of the game's enciphered files: block scripts, object-model scripts, lab files and
// exported experiments. It holds '%' and '$': pass it as data, never as a format.
#pragma once

constexpr char kScriptKey[] = "5k2$&r/8QXVTRZ=?w!t%";
constexpr int kScriptKeyLength = 20;

static_assert(sizeof kScriptKey - 1 == kScriptKeyLength, "the key's length is its character count");
