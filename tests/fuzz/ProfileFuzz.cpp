// libFuzzer target: arbitrary bytes as a profile file. Besides the sanitizers'
// faults, a document is either read or refused with faults, never both, and
// what is read is written and read back unchanged.

#include "profile/ProfileFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray document(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const profile::ProfileReadResult result = profile::readProfile(document);
    if (result.profile.has_value() == !result.faults.empty()) {
        __builtin_trap();
    }
    if (result.profile) {
        const profile::ProfileReadResult again =
            profile::readProfile(profile::writeProfile(*result.profile));
        if (!again.profile || !(*again.profile == *result.profile)) {
            __builtin_trap();
        }
    }
    return 0;
}
