// Any bytes as a UUCP lock file: no crash, an owner named is a real process id, only an empty
// file reads as empty, and the owner read back from the form Telmo writes is the same process.
#include "serial/UucpLock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Kind = platform::LockOwner::Kind;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const platform::LockOwner owner = platform::ParseLockOwner(bytes);
    if ((owner.kind == Kind::Empty) != bytes.empty() ||
        (owner.kind == Kind::Process && owner.pid <= 0))
        std::abort();
    if (owner.kind == Kind::Process) {
        char text[16];
        const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(owner.pid));
        const platform::LockOwner again =
            platform::ParseLockOwner(std::string_view(text, static_cast<std::size_t>(length)));
        if (again.kind != Kind::Process || again.pid != owner.pid)
            std::abort();
    }
    return 0;
}
