#pragma once
// A double-byte character of code page 949 is a lead byte followed by a trail
// byte; a lead byte followed by anything else stands alone, so a damaged
// character never swallows the CR or LF after it.

inline constexpr bool isCp949Lead(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

inline constexpr bool isCp949Trail(unsigned char byte)
{
    return (byte >= 0x41 && byte <= 0x5A) || (byte >= 0x61 && byte <= 0x7A) || (byte >= 0x81 && byte <= 0xFE);
}
