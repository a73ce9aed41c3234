// The calling thread's last error as the index- and count-returning
// functions leave it: errno on Linux, GetLastError() on Windows.
#pragma once

namespace mirbax::testing {

int LastErrorValue();
void SetLastErrorValue(int value);

}  // namespace mirbax::testing
