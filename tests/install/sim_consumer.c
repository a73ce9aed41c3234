/* A tiny application over the installed simulated library: one board, found
 * and identified. */
#include <mirbax.h>
#include <mirbax_sim.h>
#include <stdio.h>

int main(void) {
  uint32_t board = 0, pid = 0;
  if (MIRBAXSIM_Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3, &board) != 0) return 1;
  if (GetDevices() != 1u) return 2;
  if (QueryDeviceInfo(0, &pid, NULL, NULL, NULL, NULL) != 0 || pid != 0x8001) return 3;
  puts("sim ok");
  return 0;
}
