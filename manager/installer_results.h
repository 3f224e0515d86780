/*
 * InstallerResults: the update manager's library, as the updater calls it.
 *
 * The updater loads the library at run time from its bundle,
 *   Contents/Frameworks/InstallerResults.framework/Versions/A/InstallerResults
 * and calls these two functions, from the main thread and from the install
 * worker thread (never both at once). A vendor library implements them with C
 * linkage; it must not keep the buffer or message pointers after returning.
 */
#ifndef UPDATER_MANAGER_INSTALLER_RESULTS_H_
#define UPDATER_MANAGER_INSTALLER_RESULTS_H_

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The path of the application the update manager launched the updater for.
 * On entry *length is the size in bytes of the zero-filled `buffer`.
 * Returns 1 when `buffer` holds the path as a NUL-terminated UTF-8 string.
 * Returns 0 with *length set to the path's size (without the NUL) when the
 * path did not fit; returns 0 with *length 0 (or any other value) when there
 * is no client application.
 */
int32_t KVRGetClientAppPath(uint32_t* length, char* buffer);

/*
 * Hands the run's result to the update manager: 0 success or up to date,
 * 2 cancelled, 4 failed, with a localized message (UTF-8, NUL-terminated; may
 * be empty). Returns 1 when the update manager accepted the result.
 */
int32_t KVRSetInstallerResults(int32_t resultCode, const char* message);

#ifdef __cplusplus
}
#endif

#endif /* UPDATER_MANAGER_INSTALLER_RESULTS_H_ */
