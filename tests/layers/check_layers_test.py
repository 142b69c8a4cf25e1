"""The layer checker against a small tree of its own: each wrong-way include
and link it must report, and the right-way ones it must leave alone."""

import os
import tempfile
import textwrap
import unittest

import check_layers

LAYERS = textwrap.dedent("""\
    [packages]
    curl = ^curl/ | ^CURL::
    gtest = ^gtest/ | ^GTest::

    [public]
    paths = include/pub

    [base]
    paths = src/base
    targets = base_lib

    [net]
    uses = base
    paths = src/base/net
    targets = net_lib
    packages = curl

    [logic]
    uses = base
    paths = src/logic
    targets = logic_lib

    [top]
    uses = logic net
    paths = src/top src/tools/main.cc
    targets = top_lib

    [test_support]
    targets = support_lib

    [tests]
    logic_test = logic
    """)


class CheckLayersTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = self.tmp.name
        self.layers = check_layers.Layers(LAYERS)

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "w", encoding="utf-8") as f:
            f.write(text)

    def includes(self):
        return check_layers.check_includes(self.root, self.layers)

    def links(self, lines):
        path = os.path.join(self.root, "links.tsv")
        with open(path, "w", encoding="utf-8") as f:
            f.write("".join("\t".join(fields) + "\n" for fields in lines))
        return check_layers.check_links(check_layers.read_links(path), self.layers)

    def test_includes(self):
        self.write("include/pub/api.h", "")
        self.write("src/base/text.h", '#include "pub/api.h"\n')
        self.write("src/base/net/http.h", "#include <curl/curl.h>\n#include \"base/text.h\"\n")
        self.write("src/base/net/http.cc", '#include "http.h"\n')  # beside the file
        self.write("src/logic/rules.h", "#include <string>\n")
        self.write("src/top/app.cc", '#include "logic/rules.h"\n#include "base/net/http.h"\n')
        self.write("src/tools/main.cc", '#include "top/app.h"\n')
        self.write("src/top/app.h", "")
        self.write("src/tools/other.cc", '#include "logic/rules.h"\n')  # no layer: not read
        self.assertEqual(self.includes(), [])

        # Downwards past a sibling, upwards, into an outside library the
        # layer has no use for, and to a header that is not there.
        self.write("src/logic/rules.cc",
                   '#include "logic/rules.h"\n'
                   '#include "base/net/http.h"\n'
                   '  #  include "top/app.h"\n'
                   "#include <curl/easy.h>\n"
                   '#include "logic/gone.h"\n')
        # A file of the lower layer in the upper one's folder is its own.
        self.write("src/base/net/up.cc", '#include "logic/rules.h"\n')
        self.write("include/pub/leak.h", '#include "base/text.h"\n')
        self.assertEqual(sorted(self.includes()), sorted([
            "src/logic/rules.cc:2: logic may not include base/net/http.h (net)",
            "src/logic/rules.cc:3: logic may not include top/app.h (top)",
            "src/logic/rules.cc:4: logic may not include <curl/easy.h> (package curl)",
            'src/logic/rules.cc:5: "logic/gone.h" is no file of the project',
            "src/base/net/up.cc:1: net may not include logic/rules.h (logic)",
            "include/pub/leak.h:1: public may not include base/text.h (base)",
        ]))

    def test_links(self):
        right = [
            ("base_lib", "STATIC_LIBRARY", "", ""),
            ("net_lib", "STATIC_LIBRARY", "base_lib;CURL::libcurl",
             "base_lib;$<LINK_ONLY:CURL::libcurl>"),
            ("logic_lib", "STATIC_LIBRARY", "::@(0x1);base_lib;::@", "base_lib"),
            ("top_lib", "STATIC_LIBRARY", "logic_lib;$<LINK_LIBRARY:WHOLE_ARCHIVE,net_lib>", ""),
            ("support_lib", "STATIC_LIBRARY", "", ""),
            ("logic_test", "EXECUTABLE", "logic_lib;support_lib;GTest::gtest;pthread", ""),
            ("loose_test", "EXECUTABLE", "top_lib", ""),
        ]
        self.assertEqual(self.links(right), [])

        wrong = [
            ("base_lib", "STATIC_LIBRARY", "", "$<$<BOOL:ON>:$<LINK_ONLY:logic_lib>>"),
            ("net_lib", "STATIC_LIBRARY", "base_lib;CURL::libcurl", ""),
            ("logic_lib", "STATIC_LIBRARY", "base_lib;$<LINK_LIBRARY:WHOLE_ARCHIVE,loose>", ""),
            ("loose", "STATIC_LIBRARY", "CURL::libcurl", ""),
            ("support_lib", "STATIC_LIBRARY", "", ""),
            ("logic_test", "EXECUTABLE", "logic_lib;support_lib", ""),
        ]
        self.assertEqual(sorted(self.links(wrong)), sorted([
            "base_lib (base) may not link logic_lib (logic)",
            "logic_lib (logic) links loose, which belongs to no layer",
            # What the test reaches through the wrong links.
            "logic_test (testing logic) links loose (no layer)",
            "logic_test (testing logic) links CURL::libcurl (package curl)",
        ]))

        self.assertEqual(self.links(right[:-2]),
                         ["pinned test logic_test is not a target of this build"])

    def test_layer_file(self):
        # A layer may only use those listed above it: the list is the order.
        with self.assertRaisesRegex(check_layers.LayerError, "b names a"):
            check_layers.Layers("[b]\nuses = a\n[a]\n")
        with self.assertRaisesRegex(check_layers.LayerError, "package zlib"):
            check_layers.Layers("[a]\npackages = zlib\n")
        # What a layer uses comes with it, and "links" adds a link, not an
        # include.
        layers = check_layers.Layers(
            "[a]\n[b]\nuses = a\n[c]\nuses = b\n[d]\nlinks = c\n")
        self.assertEqual(layers.uses["c"], {"a", "b", "c"})
        self.assertEqual(layers.uses["d"], {"d"})
        self.assertEqual(layers.reach["d"], {"a", "b", "c", "d"})


if __name__ == "__main__":
    unittest.main()
