// The program's texts are Latin-1, a byte a character; files and databases hold UTF-8.
#pragma once

#include <string>

inline std::string utf8FromLatin1(const std::string& text) {
    std::string utf8;
    for (char c : text) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | code >> 6);
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}
