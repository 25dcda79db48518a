#include "core/wildcard.h"
