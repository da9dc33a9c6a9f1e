#include "recording_view.h"
