/* A test double of InstallerResults. The client path comes from
 * FAKE_KVR_CLIENT_PATH (unset: none); FAKE_KVR_ACCEPT=0 refuses results.
 * Every call is appended to the file named by FAKE_KVR_RECORD:
 *   "path <buffer size>" and "result <code> <message or (null)>". */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "manager/installer_results.h"

static void record(const char* what, long number, const char* text) {
  const char* file = getenv("FAKE_KVR_RECORD");
  FILE* out;
  if (!file || !(out = fopen(file, "a"))) return;
  fprintf(out, "%s %ld%s%s\n", what, number, text ? " " : "", text ? text : "");
  fclose(out);
}

int32_t KVRGetClientAppPath(uint32_t* length, char* buffer) {
  const char* path = getenv("FAKE_KVR_CLIENT_PATH");
  record("path", (long)*length, NULL);
  if (!path) {
    *length = 0;
    return 0;
  }
  if (strlen(path) + 1 > *length) {
    *length = (uint32_t)strlen(path);
    return 0;
  }
  memcpy(buffer, path, strlen(path) + 1);
  return 1;
}

int32_t KVRSetInstallerResults(int32_t resultCode, const char* message) {
  const char* accept = getenv("FAKE_KVR_ACCEPT");
  record("result", (long)resultCode, message ? message : "(null)");
  return accept && strcmp(accept, "0") == 0 ? 0 : 1;
}
