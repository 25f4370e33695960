#include "services/Session.h"
