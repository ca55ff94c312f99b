#include "support/stand_in_sites.h"
