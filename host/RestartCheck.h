// The restart-pending check that start-up runs before it changes anything.
#pragma once

// True when the restart marker holds the current shut-down time stamp, i.e. the machine has not
// been restarted since an installation asked for it; the marker then stays. A marker that no
// longer applies (another stamp, unreadable, shorter than 8 bytes) is deleted and gives false.
// No marker gives false and creates nothing. Never shows anything.
bool isRestartPending();
