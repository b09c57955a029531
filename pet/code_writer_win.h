#pragma once
// Writes a code patch into the running process so that none of its other threads can see it half
// written: they are suspended while the bytes change, and none of them is left stopped inside the
// bytes being replaced (such a thread is let go for a moment and the write tried again). The page
// is made writable for the write and its protection put back; the instruction cache is flushed.

#include <cstddef>
#include <cstdint>

#include "pet/code_patch.h"

namespace ostrelpet {

class ProcessCodeWriter final : public CodeWriter {
public:
    bool Write(std::uint8_t* at, const std::uint8_t* bytes, std::size_t size) override;
};

}  // namespace ostrelpet
