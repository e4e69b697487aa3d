// SetIdlePriority: the whole process at the lowest scheduling priority, so a launcher left
// running yields to everything else. On Linux that is nice 19 for every thread the process
// has (a priority belongs to a thread here); threads started later inherit it from the
// thread that starts them. It cannot be undone without privilege.
#pragma once

// False when a thread's priority could not be changed.
bool SetIdlePriority();
