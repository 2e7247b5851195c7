#include "shell/Associations.h"

// Writing the associations to the registry is filled in with the file-type
// work; the "/s" and "/x" start-ups already end here.
void ApplyAssociations() {}
