// Seconds on a steady clock, for the scan's ETA and duration and for `radio play --for`.
#pragma once

double MonotonicSeconds();
