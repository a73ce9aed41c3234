// Copies to and from memory the library does not own (caller buffers) that
// never crash the process: an unreadable or unwritable address makes the
// copy fail instead.  The kernel checks the addresses for us
// (process_vm_readv/process_vm_writev on our own process).
#pragma once

#include <cstddef>

namespace mirbax::platform {

// Copies `size` bytes from `source` (not trusted) into `destination` (ours).
// False when any byte of the source cannot be read; the destination may then
// hold part of the data.
bool SafeRead(void *destination, const void *source, std::size_t size) noexcept;

// Copies `size` bytes from `source` (ours) into `destination` (not trusted).
// False when any byte of the destination cannot be written.
bool SafeWrite(void *destination, const void *source, std::size_t size) noexcept;

}  // namespace mirbax::platform
