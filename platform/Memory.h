#pragma once
// How the program's memory allocator deals with what is freed.

namespace tabulo {

// Keeps freed memory in the process for the next allocation instead of handing it back
// to the system at once. An operation on a large year allocates and frees a few
// megabytes of buffers (the ledger as read, its image, the redo record); memory handed
// back costs a page fault for every 4 KB when it is touched again, which on a large
// year cost a post many times its own work. Called first thing by each program.
void KeepFreedMemoryForReuse();

}  // namespace tabulo
