#include "core/datetimetext.h"
