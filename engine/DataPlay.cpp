#include "engine/VexDataPlay.h"

// In static storage: constructed empty before the program starts, owns the loaded image
// until the process ends.
CVexDataPlay g_DataPlay;
