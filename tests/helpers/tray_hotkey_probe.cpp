// Exits 0 if this process can register Print Screen as a hotkey, 1 if it cannot.
#include <windows.h>

int main() {
    if (RegisterHotKey(nullptr, 1, 0, VK_SNAPSHOT) == FALSE) {
        return 1;
    }
    UnregisterHotKey(nullptr, 1);
    return 0;
}
