// The tables of the LZSS stream format, read by the encoder and the decoder alike: the
// window classes, the level table and the length codes of the Huffman form. The header
// byte of a stream is class << 4 | level, so both tables are part of every stored file.
#pragma once

#include <array>
#include <cstdint>

namespace Kiv {

// A window class: matches reach back at most window - 1 bytes, window = 1 << distanceBits.
// The Huffman form codes distance >> lowDistanceBits as a symbol of a tree of
// highDistanceSymbols leaves and sends the low bits raw.
struct LZSSWindowClass {
    int distanceBits;
    int highDistanceSymbols;
    int lowDistanceBits;
};

//                                                  distance bits, high symbols, low bits
inline constexpr std::array<LZSSWindowClass, 3> kLZSSWindowClasses = {{
    {8, 16, 4},   // class 0: window 256
    {12, 64, 6},  // class 1: window 4096
    {14, 64, 8},  // class 2: window 16384
}};

enum class LZSSForm : uint8_t { Stored, FlagWords, Huffman };

// A level: its preferred window class, the nice length (a match this long ends the chain
// walk) and the coding form.
struct LZSSLevel {
    int windowClass;
    int niceLength;
    LZSSForm form;
};

//                                        class, nice length, form
inline constexpr std::array<LZSSLevel, 10> LZSSLevelTable = {{
    {0, 0, LZSSForm::Stored},       // 0
    {1, 8, LZSSForm::FlagWords},    // 1
    {1, 16, LZSSForm::FlagWords},   // 2
    {1, 32, LZSSForm::FlagWords},   // 3
    {2, 64, LZSSForm::FlagWords},   // 4
    {2, 128, LZSSForm::FlagWords},  // 5
    {2, 256, LZSSForm::FlagWords},  // 6
    {2, 64, LZSSForm::Huffman},     // 7
    {2, 128, LZSSForm::Huffman},    // 8
    {2, 256, LZSSForm::Huffman},    // 9
}};

inline constexpr int kLZSSMaxLevel = 9;
inline constexpr int kLZSSMinMatch = 3;
inline constexpr int kLZSSMaxMatch = 258;

// Length codes of the Huffman form: symbol 256 + code; length - 3 = base + the code's
// extra bits, sent raw after the symbol.
struct LZSSLengthCode {
    int base;
    int extraBits;
};

//                                                       base, extra bits
inline constexpr std::array<LZSSLengthCode, 16> kLZSSLengthCodes = {{
    {0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0},  // codes 0-4
    {5, 1}, {7, 1},                          // codes 5-6
    {9, 2}, {13, 2},                         // codes 7-8
    {17, 3}, {25, 3},                        // codes 9-10
    {33, 4}, {49, 4},                        // codes 11-12
    {65, 5}, {97, 5},                        // codes 13-14
    {129, 7},                                // code 15
}};

// Symbols of the literal/length tree: 0-255 literal bytes, 256-271 length codes, 272 the
// end of the data. The tree has an even number of leaves, so a 274th leaf exists that
// the writer never codes.
inline constexpr int kLZSSFirstLengthSymbol = 256;
inline constexpr int kLZSSEndSymbol = 272;
inline constexpr int kLZSSLiteralSymbols = 273;

}  // namespace Kiv
