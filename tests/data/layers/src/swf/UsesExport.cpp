#include "export/MovieExport.h"
