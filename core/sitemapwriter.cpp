#include "core/sitemapwriter.h"
