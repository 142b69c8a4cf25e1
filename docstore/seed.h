// Loading a seed (JSON, format in docs/docstore.md) into an empty store.
#ifndef ORVEX_DOCSTORE_SEED_H_
#define ORVEX_DOCSTORE_SEED_H_

#include <string>

#include "docstore/store.h"

namespace orvex::docstore {

// Fills `store` from the seed text in one transaction. Throws
// std::runtime_error naming the offending entry when the seed is malformed;
// nothing is stored then. A store that is no longer empty when the seed's
// transaction starts (another node on the same database seeded it first) is
// left as it is.
void LoadSeed(Store& store, const std::string& json_text);

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_SEED_H_
