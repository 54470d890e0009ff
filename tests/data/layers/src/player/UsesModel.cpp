#include "model/CDocObj.h"
