// The built-in sample store (docstore/samples/demo.json compiled in).
#ifndef ORVEX_DOCSTORE_SAMPLE_STORE_H_
#define ORVEX_DOCSTORE_SAMPLE_STORE_H_

namespace orvex::docstore {

// The seed text of the sample store, as JSON.
const char* SampleStoreJson();

}  // namespace orvex::docstore

#endif  // ORVEX_DOCSTORE_SAMPLE_STORE_H_
