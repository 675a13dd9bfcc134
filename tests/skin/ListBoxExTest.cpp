#include "skin/ListBoxEx.h"
