#include "player/PlayerHost.h"
#include <QImage>
