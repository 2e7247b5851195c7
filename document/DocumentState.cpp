#include "document/DocumentState.h"

DocumentState doc;
