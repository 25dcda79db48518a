#include "core/xmltext.h"
