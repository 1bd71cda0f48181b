// Checks the codebooks of a Vorbis setup header before libvorbis decodes audio with them.
// libvorbis 1.3.7 accepts at open codebooks it then cannot decode with: one of no dimensions,
// which it divides by while decoding a residue (and, given a lookup table of type 1, loops
// on for ever when it builds the decoder); codeword lengths that are no complete code,
// refused only at the first decode, which leaves the codebooks half built and the next decode
// dividing by the zero dimensions of the unbuilt ones; and so many entries that sorting them
// on the stack overflows it.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether the codebooks of a setup header packet (type 5, "vorbis") are all whole, of at
// least one dimension, their used codeword lengths a complete code (or a single entry of one
// bit), with at most 65536 used entries. False for a packet that is no setup header. When
// true and endBit is given, it receives the bit position where the codebooks end (the
// packet's bits counted from the least significant bit of its first byte, as Vorbis packs
// them).
bool VorbisSetupCodebooksDecodable(const uint8_t* packet, size_t size, uint64_t* endBit = nullptr);

// The file's bytes in vorbisfile's read callback shape: up to items * itemSize bytes into out,
// returning the whole items read, 0 at the end.
using VorbisReadFunction = size_t (*)(void* out, size_t itemSize, size_t items, void* source);

// Reads an Ogg link from where the source stands up to the setup header of its first Vorbis
// stream, choosing that stream as vorbisfile does (the first of the link's first pages whose
// packet is a Vorbis identification header). True when that setup header is found and its
// codebooks are decodable.
bool VorbisLinkSetupDecodable(VorbisReadFunction read, void* source);

// The same over a link's bytes in memory.
bool VorbisLinkSetupDecodable(const uint8_t* data, size_t size);
