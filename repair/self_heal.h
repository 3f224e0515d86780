/*
 * ZeltoSelfHealing: the self-heal library, as the updater calls it.
 *
 * The updater loads the library at run time from its bundle,
 *   Contents/Frameworks/ZeltoSelfHealing.framework/Versions/A/ZeltoSelfHealing
 * and, after each payload its install script patched successfully, calls
 * SHRepair once on the main thread for the patched application bundle, which
 * is both the source and the target of the repair. The library needs nothing
 * of the updater but this header.
 */
#ifndef UPDATER_REPAIR_SELF_HEAL_H_
#define UPDATER_REPAIR_SELF_HEAL_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The updater's authorization reference: opaque, valid during the call. */
typedef struct UpdaterAuthorization* AuthorizationRef;

/* An application bundle. `path` is the bundle folder's standardized absolute
 * path, UTF-8 and NUL-terminated. Valid during the call only. */
typedef struct SHBundle {
  const char* path;
} SHBundle;
typedef const SHBundle* SHBundleRef;

/* One option: a key and either a string or a boolean value. */
typedef enum SHOptionType { SHOptionString = 0, SHOptionBoolean = 1 } SHOptionType;
typedef struct SHOption {
  const char* key; /* UTF-8, NUL-terminated */
  SHOptionType type;
  const char* stringValue; /* when type is SHOptionString */
  int32_t booleanValue;    /* when type is SHOptionBoolean: 0 or 1 */
} SHOption;

/* The options of a repair. Keys the updater sets: "INSTALL_MODE" (a string
 * such as "PDFDriver;Browser") and "RUN_SILENT_INSTALL" (boolean true, only in
 * silent runs). The updater owns the options and frees them after SHRepair
 * returns: the library must copy what it wants to keep. */
typedef struct SHOptions {
  uint32_t count;
  const SHOption* items;
} SHOptions;
typedef const SHOptions* SHOptionsRef;

typedef struct SelfHealRequest {
  int32_t reserved;                /* always 0 */
  SHBundleRef sourceBundle;        /* never NULL */
  SHBundleRef targetBundle;        /* NULL only when no target could be named */
  AuthorizationRef* authorization; /* address of the variable holding the reference */
} SelfHealRequest;

/*
 * Repairs the bundle. `reserved` is NULL. `options` is the address of the
 * variable holding the options, or NULL when the bundle has none.
 * Returns 0 on success; any other status is logged by the updater.
 */
int32_t SHRepair(SelfHealRequest* request, void* reserved, SHOptionsRef* options);

#ifdef __cplusplus
}
#endif

#endif /* UPDATER_REPAIR_SELF_HEAL_H_ */
