#pragma once

#include <string>
#include <vector>

namespace korvex::test {

// What the recovery child process enters before it is killed, and the data-set
// text that must come back: 8-bit codes and an empty one, and a box whose text
// is not UTF-8.
inline const std::vector<std::string> kRecoveryCodes = {"T\xE9"
                                                        "1",
                                                        "\x8A\xE8 2", ""};
inline const std::string kRecoveryBox = "0.1250\xA0";

inline std::string expectedRecoveryDataSet() {
    std::string text;
    for (const std::string& code : kRecoveryCodes) {
        text += code + "\t" + kRecoveryBox;
        for (int k = 2; k <= 28; ++k)
            text += "\t0";
        text += "\r\n";
    }
    return text;
}

} // namespace korvex::test
