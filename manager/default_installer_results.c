/* The InstallerResults library shipped where no update manager is present:
 * there is never a client application, and every result is accepted. */
#include "manager/installer_results.h"

int32_t KVRGetClientAppPath(uint32_t* length, char* buffer) {
  (void)buffer;
  if (length) *length = 0;
  return 0;
}

int32_t KVRSetInstallerResults(int32_t resultCode, const char* message) {
  (void)resultCode;
  (void)message;
  return 1;
}
