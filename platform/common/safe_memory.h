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

// Makes sure that every page of the `size` bytes at `destination` (not
// trusted) can be written now, for code that then fills the range with plain
// stores (a large result converted straight into the caller's memory, without
// a second copy).  A zero byte goes into each page through the kernel, so a
// bad page makes the probe fail instead of faulting.  The stores that follow
// are safe unless the caller unmaps or protects the range meanwhile (as it
// could free a buffer it lent).  False when a page cannot be written; pages
// before it may then hold a zero byte.
bool ProbeWritable(void *destination, std::size_t size) noexcept;

}  // namespace mirbax::platform
