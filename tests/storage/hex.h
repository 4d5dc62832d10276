#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace bio::test {

// "8F BA 98 61" -> the four bytes. Expected file contents are written in hex
// so that the test source's own encoding cannot hide a wrong byte.
inline std::string FromHex(std::string_view hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size();) {
    if (hex[i] == ' ') {
      ++i;
      continue;
    }
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    i += 2;
  }
  return bytes;
}

inline std::string ToHex(std::string_view bytes) {
  std::string hex;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, hex.empty() ? "%02X" : " %02X", b);
    hex += buf;
  }
  return hex;
}

}  // namespace bio::test
