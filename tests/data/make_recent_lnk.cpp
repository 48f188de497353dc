// Asks the shell for its recent-documents shortcut to a target and copies it beside this
// program, so the unit tests can parse a link written by a real shell.
// Build: x86_64-w64-mingw32-g++ -O2 -static make_recent_lnk.cpp -o make_recent_lnk.exe -lshell32
// Run:   make_recent_lnk.exe C:\windows\notepad.exe out.lnk
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_recent_lnk TARGET OUT.lnk\n");
        return 2;
    }
    char recent[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, recent, CSIDL_RECENT, FALSE)) {
        std::fprintf(stderr, "no Recent folder\n");
        return 1;
    }
    const std::string target = argv[1];
    const std::string name = target.substr(target.find_last_of('\\') + 1);
    const std::string link = std::string(recent) + "\\" + name + ".lnk";
    SHAddToRecentDocs(SHARD_PATHA, target.c_str());
    for (int i = 0; i < 200 && GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        Sleep(50);
    }
    if (!CopyFileA(link.c_str(), argv[2], FALSE)) {
        std::fprintf(stderr, "could not copy %s: %lu\n", link.c_str(), GetLastError());
        return 1;
    }
    DeleteFileA(link.c_str());
    return 0;
}
