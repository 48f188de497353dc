#include "base/failure.h"

#include <new>
#include <stdexcept>

namespace snarvik {

std::string Failure::Message() const {
    std::string text = what + ":\n" + why;
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    return text;
}

Failure FailureOf(std::string what, const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    } catch (const std::exception& exception) {
        return {std::move(what), exception.what()};
    } catch (...) {
        return {std::move(what), "an unexpected error occurred"};
    }
    return {std::move(what), "There is not enough memory for it. Try a smaller selection, or "
                             "close other programs and try again"};
}

} // namespace snarvik
