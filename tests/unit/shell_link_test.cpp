#include "shell/shell_link.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace snarvik::mCreateShortcut;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadData(const char* name) {
    std::ifstream in(std::string(SNARVIK_TEST_DATA) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
}

void PutU32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// A recent-documents link laid out as current Windows writes one: id list, link info,
// Unicode strings, then environment and tracker blocks.
constexpr std::size_t kSyntheticPrefix = 0x4C + 2 + 20 + 0x3C;
Bytes SyntheticWindowsLink() {
    Bytes b;
    PutU32(b, 0x4C);
    const std::uint8_t clsid[] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    for (const std::uint8_t byte : clsid) {
        b.push_back(byte);
    }
    PutU32(b, 0x0408829B); // + HasExpString, NoPidlAlias, EnableTargetMetadata, KeepLocalIDList...
    PutU32(b, 0x20);       // file attributes
    for (int i = 0; i < 6; ++i) {
        PutU32(b, 0x11223344); // three file times
    }
    PutU32(b, 12345);         // file size
    PutU32(b, 0xFFFFFFFF);    // icon index (-1: stray high bytes)
    PutU32(b, 0x00AB0007);    // show command with a stray high byte
    b.insert(b.end(), 12, 0); // hot key, reserved
    b.push_back(20);
    b.push_back(0);
    b.insert(b.end(), 20, 0x5A); // id list body, no zero pairs needed
    PutU32(b, 0x3C);             // link info size
    PutU32(b, 0x1C);
    b.insert(b.end(), 0x3C - 8, 0x61);
    b.push_back(3); // relative path, Unicode
    b.push_back(0);
    const std::uint8_t relative[] = {'.', 0, '\\', 0, 'x', 0};
    b.insert(b.end(), std::begin(relative), std::end(relative));
    PutU32(b, 0x314); // environment block
    PutU32(b, 0xA0000001);
    b.insert(b.end(), 0x314 - 8, 0);
    PutU32(b, 0x60); // tracker block
    PutU32(b, 0xA0000003);
    b.insert(b.end(), 0x60 - 8, 0);
    PutU32(b, 0); // terminal block
    return b;
}

ShortcutRequest Request(std::string target, std::string args, std::string dir, int index,
                        std::string iconFile, int show = 0) {
    return {std::move(target), std::move(args), std::move(dir), index, std::move(iconFile), show};
}

// An ANSI code page that holds the first 256 code points, one byte each (as 1252 holds "é").
std::optional<std::string> Latin1(const std::string& utf8) {
    std::string ansi;
    for (const char16_t unit : Utf16(utf8)) {
        if (unit > 0xFF) {
            return std::nullopt;
        }
        ansi.push_back(static_cast<char>(unit));
    }
    return ansi;
}

} // namespace

TEST(ShellLinkPrefix, EndsExactlyAfterTheLinkInfo) {
    const Bytes wine = ReadData("wine_recent_notepad.lnk");
    ASSERT_EQ(wine.size(), 380u) << "test data missing";
    // Wine: header, id list of 0xB3 bytes, link info of 0x45 bytes, then its description.
    const auto winePrefix = ParseLinkPrefix(wine);
    ASSERT_TRUE(winePrefix.ok());
    EXPECT_EQ(winePrefix.value().length, 0x4Cu + 2 + 0xB3 + 0x45);
    EXPECT_EQ(winePrefix.value().flags, 0x87u);

    const auto windowsPrefix = ParseLinkPrefix(SyntheticWindowsLink());
    ASSERT_TRUE(windowsPrefix.ok());
    EXPECT_EQ(windowsPrefix.value().length, kSyntheticPrefix);
}

TEST(ShellLinkPrefix, RefusesWhatIsNotAShellLink) {
    const Bytes good = ReadData("wine_recent_notepad.lnk");
    ASSERT_FALSE(good.empty());
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const Bytes cases[] = {
        {},
        changed(19, 0x47),                               // class id
        Bytes(good.begin(), good.begin() + 0x4C + 0x20), // id list cut
        changed(0x4C + 2 + 0xB3, 0x08),                  // link info too small
        changed(20, 0x84),                               // no id list nor link info
    };
    for (const Bytes& bytes : cases) {
        EXPECT_TRUE(ParseLinkPrefix(bytes).failure()) << bytes.size();
        EXPECT_TRUE(BuildShortcut(bytes, Request("C:\\a.exe", "", "", 0, ""), Latin1).failure())
            << bytes.size();
    }
}

TEST(ShellLinkBuild, FlagsAndStringBlocks) {
    using namespace std::string_literals;
    const std::string target = "C:\\Prog\\snarvik.exe";
    const struct {
        ShortcutRequest request;
        std::uint8_t flags;
        std::vector<std::string> blocks; // working folder, arguments, icon location
    } cases[] = {
        {Request(target, "", "", 0, ""), 0x03, {}},
        {Request(target, "", "C:\\Prog", 0, ""), 0x13, {"C:\\Prog"}}, // the first run's
        {Request(target, "", "", 3, ""), 0x43, {target}},
        {Request(target, "-x /y", "C:\\W", 2, "C:\\i.ico"), 0x73, {"C:\\W", "-x /y", "C:\\i.ico"}},
        {Request(target, "", "C:\\Caf\u00e9", 0, ""), 0x13, {"C:\\Caf\xe9"}}, // in the ANSI page
        // One string outside it: all of them in UTF-16, and the link says so.
        {Request(target, "-x", "C:\\\u0421", 0, ""), 0xB3, {"C\0:\0\\\0\x21\x04"s, "-\0x\0"s}},
        {Request(target, "\U0001F600", "", 0, ""), 0xA3, {"\x3d\xd8\x00\xde"s}},
    };
    for (const Bytes& shell : {ReadData("wine_recent_notepad.lnk"), SyntheticWindowsLink()}) {
        const std::size_t n = ParseLinkPrefix(shell).value().length;
        for (const auto& c : cases) {
            const auto built = BuildShortcut(shell, c.request, Latin1);
            SCOPED_TRACE(c.request.WorkingDir + " " + c.request.Arguments);
            ASSERT_TRUE(built.ok());
            const Bytes& out = built.value();
            EXPECT_EQ(out[20], c.flags);
            EXPECT_EQ(U32(out, 56), static_cast<std::uint32_t>(c.request.IconIndex));
            EXPECT_EQ(U32(out, 60), static_cast<std::uint32_t>(c.request.ShowCommand));
            // Everything else of the copied part is the shell's.
            for (std::size_t i = 0; i < n; ++i) {
                if (i < 20 || (i >= 24 && i < 56) || i >= 64) {
                    ASSERT_EQ(out[i], shell[i]) << "offset " << i;
                }
            }
            Bytes tail;
            for (const auto& s : c.blocks) {
                // The count is of characters: UTF-16 units take two bytes each.
                tail.push_back(static_cast<std::uint8_t>(s.size() / (c.flags & 0x80 ? 2 : 1)));
                tail.push_back(0);
                tail.insert(tail.end(), s.begin(), s.end());
            }
            tail.insert(tail.end(), 4, 0);
            EXPECT_EQ(Bytes(out.begin() + static_cast<std::ptrdiff_t>(n), out.end()), tail);
        }
    }
}

TEST(ShellLinkBuild, DropsFlagsOfDataNotCopied) {
    const Bytes shell = SyntheticWindowsLink();
    const auto built = BuildShortcut(shell, Request("C:\\a.exe", "", "C:\\", 0, ""), Latin1);
    ASSERT_TRUE(built.ok());
    // Unicode, relative path, HasExpString and EnableTargetMetadata go; NoPidlAlias and
    // KeepLocalIDListForUNCTarget stay with the id list they describe.
    EXPECT_EQ(U32(built.value(), 20), 0x04008013u);
    EXPECT_EQ(U32(ReadData("wine_recent_notepad.lnk"), 20) & 0xFFFFFF00u, 0u);
}

TEST(ShellLinkBuild, RefusesValuesThatDoNotFit) {
    const std::string longText(256, 'a');
    const std::string longest(255, 'a');
    const Bytes shell = ReadData("wine_recent_notepad.lnk");
    struct Case {
        const char* name;
        ShortcutRequest request;
        bool ok;
    };
    const Case cases[] = {
        {"longest fits", Request("C:\\a.exe", longest, longest, 0, longest, 255), true},
        {"working dir", Request("C:\\a.exe", "", longText, 0, ""), false},
        {"target as icon", Request("C:\\" + longText, "", "", 1, ""), false},
        {"target not written", Request("C:\\" + longText, "", "", 0, ""), true},
        {"icon index -1", Request("C:\\a.exe", "", "", -1, ""), false},
        {"show command 256", Request("C:\\a.exe", "", "", 0, "", 256), false},
        {"target without a file name", Request("C:\\Prog\\", "", "", 0, ""), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(!ValidateShortcut(c.request).has_value(), c.ok) << c.name;
        const auto built = BuildShortcut(shell, c.request, Latin1);
        EXPECT_EQ(built.ok(), c.ok) << c.name;
    }
}

TEST(ShellLinkNames, FolderIdOf) {
    struct Case {
        ShortcutFolder folder;
        std::optional<int> id;
        bool error;
    };
    const Case cases[] = {
        {7, 7, false},
        {std::string("7"), 7, false},
        {std::string(" 7 "), 7, false},
        {std::string("C:\\x"), {}, false},
        {std::string("7a"), {}, false},
        {std::string("99999"), {}, true},
        {70000, {}, true},
    };
    for (const auto& c : cases) {
        const auto got = FolderIdOf(c.folder);
        EXPECT_EQ(got.ok() ? got.value() : std::nullopt, c.id);
        EXPECT_EQ(got.failure().has_value(), c.error);
    }
}
