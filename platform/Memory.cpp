#include "platform/Memory.h"

#include <cstdlib>  // defines __GLIBC__ on the GNU C library
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tabulo {

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Blocks up to the largest file the program reads whole come from the heap and are
    // reused; the heap's free top is handed back only beyond 64 MB. (Setting either
    // fixes both, where the allocator would otherwise move them as it goes.)
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

}  // namespace tabulo
