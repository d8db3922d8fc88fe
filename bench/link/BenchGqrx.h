// The link benchmark's figures against the real gqrx (see BenchLink.cpp for the format).
#pragma once

namespace skedula::bench {

// Prints the figures; false when gqrx could not be started or did not answer.
bool MeasureGqrx();

} // namespace skedula::bench
