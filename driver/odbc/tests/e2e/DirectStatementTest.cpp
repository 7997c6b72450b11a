#include "DriverApi.h"
