#pragma once

#include <QString>

// The job caches of the synchronisation: {appDir}/{id}/robotJob/R1..R4 for the controller named
// id. A cache directory the library creates carries a marker file, and only marked directories
// are ever removed.
namespace kelvo::transfer {

// The root the synchronisation's job directories hang from: appDir itself while the controller
// has no identifier (or one that is not a plain name), else {appDir}/{id}.
QString jobCacheRoot(const QString& appDir, const QString& id);

// Creates and marks {appDir}/{id} when it does not exist yet, and the four job directories below
// the cache root when they are missing. Nothing for the identifier "unknow".
void prepareJobCache(const QString& appDir, const QString& id);

// Removes, with all their content, the marked caches of other controllers directly under appDir:
// directories named by 16 characters other than keep. Symbolic links are never followed.
void removeForeignJobCaches(const QString& appDir, const QString& keep);

}  // namespace kelvo::transfer
