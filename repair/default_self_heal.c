/* The ZeltoSelfHealing library shipped where no vendor repair is present: it
 * checks that the bundle to repair exists and reports success. */
#include <sys/stat.h>

#include "repair/self_heal.h"

int32_t SHRepair(SelfHealRequest* request, void* reserved, SHOptionsRef* options) {
  struct stat info;
  (void)reserved;
  (void)options;
  if (!request || !request->sourceBundle || !request->sourceBundle->path) return -50;
  if (stat(request->sourceBundle->path, &info) != 0 || !S_ISDIR(info.st_mode)) return -43;
  return 0;
}
