#pragma once
// The checker's answer for a file it passed, written by the checker and read
// by the program (Guard.cpp):
//
//   ok DEV INO SIZE CTIME_SEC CTIME_NSEC MTIME_SEC MTIME_NSEC
//
// in decimal, from fstat of the descriptor it read the pages through, taken
// after its last read and under SQLite's lock. Anything else that starts
// with "ok" is no answer of the checker's.

#include <sys/stat.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace check {

struct Identity {
    uint64_t dev = 0, ino = 0;
    int64_t size = 0, ctimeSec = 0, ctimeNsec = 0, mtimeSec = 0, mtimeNsec = 0;
};

inline std::string okAnswer(const struct stat &st)
{
    std::string s = "ok";
    for (const std::string &f :
         {std::to_string(uint64_t(st.st_dev)), std::to_string(uint64_t(st.st_ino)), std::to_string(int64_t(st.st_size)),
          std::to_string(int64_t(st.st_ctim.tv_sec)), std::to_string(int64_t(st.st_ctim.tv_nsec)),
          std::to_string(int64_t(st.st_mtim.tv_sec)), std::to_string(int64_t(st.st_mtim.tv_nsec))})
        s += ' ' + f;
    return s;
}

// The identity in an "ok" line; nothing when the line is not exactly one.
inline std::optional<Identity> parseOkAnswer(std::string_view line)
{
    constexpr std::string_view head = "ok ";
    if (line.substr(0, head.size()) != head)
        return std::nullopt;
    line.remove_prefix(head.size());
    // One field: digits, a minus sign only where the times before 1970 need it.
    auto field = [&](auto &out, bool signedTime) {
        const size_t end = line.find(' ');
        const std::string_view f = line.substr(0, end);
        if (f.empty() || (f[0] == '-' && !signedTime) || f == "-" || f[0] == '+')
            return false;
        const auto [at, ec] = std::from_chars(f.data(), f.data() + f.size(), out);
        if (ec != std::errc() || at != f.data() + f.size())
            return false;
        line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
        // A separator is followed by another field.
        return end == std::string_view::npos || !line.empty();
    };
    Identity id;
    const bool read = field(id.dev, false) && field(id.ino, false) && field(id.size, false) &&
                      field(id.ctimeSec, true) && field(id.ctimeNsec, false) && field(id.mtimeSec, true) &&
                      field(id.mtimeNsec, false);
    if (!read || !line.empty() || id.ctimeNsec >= 1000000000 || id.mtimeNsec >= 1000000000)
        return std::nullopt;
    return id;
}

} // namespace check
