// The release the plug-in says it is, in its info texts and error boxes; the release zip is
// named from this line too (scripts/package.sh).
#pragma once

#define LUMIVANE_VERSION "0.7b"
