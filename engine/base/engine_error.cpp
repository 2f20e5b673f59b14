#include "base/engine_error.h"

void RaiseAssertionFailure() { throw EMP3Error(kAssertionFailureText); }

void RaiseUnknownFormat() { throw EMP3Error(kUnknownFormatText); }
