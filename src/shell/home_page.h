// The maker's home page, opened by the tray menu's "Visit" item. A distributor who ships the
// program under another name changes this one address.
#pragma once

namespace snarvik {

inline constexpr const char* kHomePageAddress = "http://www.orlendasoftware.com/home.html?snarvik";

} // namespace snarvik
