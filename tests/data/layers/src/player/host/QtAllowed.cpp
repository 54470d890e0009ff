#include <QImage>
#include "player/PlayerHost.h"
