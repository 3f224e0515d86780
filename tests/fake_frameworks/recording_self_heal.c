/* A test double of ZeltoSelfHealing. Each call appends one line to the file
 * named by FAKE_SH_RECORD:
 *   "repair source=<path> target=<path|(null)> auth=<set|null> reserved=<0|set>
 *    options=<(null)|key=value,...>"
 * and returns FAKE_SH_STATUS (default 0). */
#include <stdio.h>
#include <stdlib.h>

#include "repair/self_heal.h"

int32_t SHRepair(SelfHealRequest* request, void* reserved, SHOptionsRef* options) {
  const char* file = getenv("FAKE_SH_RECORD");
  const char* status = getenv("FAKE_SH_STATUS");
  FILE* out;
  uint32_t i;
  if (file && (out = fopen(file, "a"))) {
    fprintf(out, "repair source=%s target=%s auth=%s reserved=%d request=%d options=",
            request->sourceBundle ? request->sourceBundle->path : "(null)",
            request->targetBundle ? request->targetBundle->path : "(null)",
            request->authorization && *request->authorization ? "set" : "null", reserved ? 1 : 0,
            (int)request->reserved);
    if (!options || !*options) {
      fprintf(out, "(null)");
    } else {
      for (i = 0; i < (*options)->count; ++i) {
        const SHOption* option = &(*options)->items[i];
        if (option->type == SHOptionString) {
          fprintf(out, "%s%s=%s", i ? "," : "", option->key, option->stringValue);
        } else {
          fprintf(out, "%s%s=%s", i ? "," : "", option->key,
                  option->booleanValue ? "true" : "false");
        }
      }
    }
    fprintf(out, "\n");
    fclose(out);
  }
  return status ? (int32_t)atoi(status) : 0;
}
