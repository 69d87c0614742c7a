// The checker's own test: the engine reaching up into the main window.
#include "engine/dbf.h"
#include "app/mainform.h"
