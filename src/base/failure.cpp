#include "base/failure.h"

namespace snarvik {

std::string Failure::Message() const {
    std::string text = what + ":\n" + why;
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    return text;
}

} // namespace snarvik
