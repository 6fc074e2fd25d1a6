package dev.jlaunch.pack;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertNotNull;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.nio.charset.StandardCharsets;
import java.util.LinkedHashMap;
import java.util.Map;
import java.util.Optional;
import java.util.stream.Stream;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.MethodSource;

/** The Java writers make exactly the bytes of the shared vectors, and read them back. */
class SharedVectorsTest {
    static Stream<Vectors.Record> envelopes() {
        return Vectors.read("envelopes.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("envelopes")
    void envelopeSealsToTheVectorAndOpens(Vectors.Record v) throws PackException {
        byte[] sealed = SealedEnvelope.seal(v.text("text"), v.text("code"), v.number("iterations"), v.hex("salthex"),
                v.hex("noncehex"));
        assertEquals(Bytes.hex(v.hex("envelopehex")), Bytes.hex(sealed));
        assertEquals(Optional.of(v.text("text")), SealedEnvelope.open(sealed, v.text("code")));
        assertEquals(Optional.empty(), SealedEnvelope.open(sealed, v.text("code") + "x"));
        for (int at : new int[] {4, 8, 24, 36, sealed.length - 1}) {  // every part is authenticated
            byte[] altered = sealed.clone();
            altered[at] ^= 1;
            assertFalse(SealedEnvelope.open(altered, v.text("code")).isPresent(), "byte " + at + " altered");
        }
    }

    static Stream<Vectors.Record> trailers() {
        return Vectors.read("trailers.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("trailers")
    void trailerFooter(Vectors.Record v) {
        assertEquals(Bytes.hex(v.hex("footerhex")), Bytes.hex(LinuxTrailer.footer(v.number("size"))));
    }

    static Stream<Vectors.Record> versions() {
        return Vectors.read("versions.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("versions")
    void versionResource(Vectors.Record v) {
        Map<String, String> strings = new LinkedHashMap<>();
        for (String key : new String[] {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                                        "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"}) {
            strings.put(key, v.text(key));
        }
        int[] numbers = VersionResource.parseNumbers(v.text("numbers"));
        byte[] resource = VersionResource.build(numbers, strings);
        assertEquals(Bytes.hex(v.hex("resourcehex")), Bytes.hex(resource));
        assertArrayEquals(numbers, VersionResource.fileVersionOf(resource));
    }

    static Stream<Vectors.Record> icons() {
        return Vectors.read("icons.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("icons")
    void iconGroup(Vectors.Record v) throws PackException {
        IconFile.Resources icon = IconFile.read(v.file("iconfile"), v.number("firstid"));
        assertEquals(Bytes.hex(v.hex("grouphex")), Bytes.hex(icon.group()));
        assertEquals(v.number("images"), icon.images().size());
    }

    static Stream<Vectors.Record> manifests() {
        return Vectors.read("manifests.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("manifests")
    void manifestLevel(Vectors.Record v) {
        String manifest = new String(v.file("manifestfile"), StandardCharsets.ISO_8859_1);
        assertEquals(new String(v.file("resultfile"), StandardCharsets.ISO_8859_1),
                Manifest.withExecutionLevel(manifest, v.text("level")));
    }

    static Stream<Vectors.Record> sections() {
        return Vectors.read("resource_sections.txt").stream();
    }

    @ParameterizedTest
    @MethodSource("sections")
    void resourceSectionWritesAndReadsBack(Vectors.Record v) {
        ResourceTree tree = new ResourceTree();
        for (String resource : v.all("resource")) {
            String[] p = resource.split(" ");
            tree.put(key(p[0]), key(p[1]), Integer.parseInt(p[2]),
                    new ResourceTree.Data(Bytes.hex(p[4]), Long.parseLong(p[3])));
        }
        int rva = v.number("rva");
        byte[] section = tree.write(rva);
        assertEquals(Bytes.hex(v.hex("sectionhex")), Bytes.hex(section));
        ResourceTree back = ResourceTree.read(section, (at, size) -> {
            assertTrue(at >= rva && at - rva + size <= section.length, "data inside the section");
            return java.util.Arrays.copyOfRange(section, (int) (at - rva), (int) (at - rva + size));
        });
        assertNotNull(back);
        assertEquals(tree, back);
    }

    private static ResourceKey key(String text) {
        return text.matches("[0-9]+") ? ResourceKey.number(Integer.parseInt(text)) : ResourceKey.text(text);
    }
}
