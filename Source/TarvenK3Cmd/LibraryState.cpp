#include "LibraryState.h"

LibraryState libraryState;
