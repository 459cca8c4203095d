// The process's memory as the allocator holds it.
#pragma once

namespace util {

// Gives what the allocator holds free back to the system, where it can. Threads that
// drew much and are done leave it with their own arenas (glibc), where no other thread
// takes it again: the page made after them would add its memory to theirs.
void returnFreeMemory();

}  // namespace util
