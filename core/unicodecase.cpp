#include "core/unicodecase.h"
