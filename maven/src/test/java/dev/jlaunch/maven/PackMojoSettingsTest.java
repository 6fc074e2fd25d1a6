package dev.jlaunch.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import java.io.File;
import java.io.IOException;
import java.io.OutputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.function.Consumer;
import java.util.jar.Attributes;
import java.util.jar.JarOutputStream;
import java.util.stream.Stream;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugin.logging.SystemStreamLog;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** The settings the goal embeds: the user's file, the parameters over it, and clear refusals. */
class PackMojoSettingsTest {
    @TempDir
    static Path work;

    static Path jar(String name, String mainClass) throws IOException {
        return jar(work, name, mainClass);
    }

    static Path jar(Path folder, String name, String mainClass) throws IOException {
        java.util.jar.Manifest manifest = new java.util.jar.Manifest();
        manifest.getMainAttributes().put(Attributes.Name.MANIFEST_VERSION, "1.0");
        if (mainClass != null) {
            manifest.getMainAttributes().put(Attributes.Name.MAIN_CLASS, mainClass);
        }
        Path jar = folder.resolve(name);
        try (OutputStream out = Files.newOutputStream(jar); JarOutputStream j = new JarOutputStream(out, manifest)) {
            j.flush();
        }
        return jar;
    }

    static File file(String name, String text) throws IOException {
        return Files.writeString(work.resolve(name), text).toFile();
    }

    static PackMojo mojo(Consumer<PackMojo> setup) {
        PackMojo mojo = new PackMojo();
        mojo.upgradeCode = "{CODE}";
        setup.accept(mojo);
        return mojo;
    }

    static Stream<Arguments> merges() throws IOException {
        Path withMain = jar("app.jar", "com.acme.App");
        File own = file("own.ini", "; mine\n[Java Runtime Environment]\nmain class=from.File\nJVM Type=server\n"
                + "[Product Information]\nUpgrade Code={FROM-FILE}\n[Application]\nCmd=--x\n");
        return Stream.of(
                Arguments.of("main class from the jar's manifest", mojo(m -> {}), List.of(withMain),
                        "[Product Information]\r\nUpgrade Code={CODE}\r\n[Java Runtime Environment]\r\n"
                                + "Main Class=com.acme.App\r\n[Class Path]\r\nClass Path=lib\\*.jar\r\n"),
                Arguments.of("parameters over the user's file", mojo(m -> {
                    m.settings = own;
                    m.mainClass = "com.acme.Param";
                    m.upgradeCode = null;
                    m.vmOptions = List.of("-Xmx50P", "-Dtitle=My \"App\"");
                    m.minVersion = "17";
                    m.singleInstance = true;
                }), List.of(withMain),
                        "[Java Runtime Environment]\r\nMain Class=com.acme.Param\r\nJVM Type=server\r\n"
                                + "Minimum Version=17\r\nVirtual Machine Parameters=-Xmx50P \"-Dtitle=My \"\"\"App\"\"\"\"\r\n"
                                + "[Product Information]\r\nUpgrade Code={FROM-FILE}\r\n[Application]\r\nCmd=--x\r\n"
                                + "Single Instance=yes\r\n[Class Path]\r\nClass Path=lib\\*.jar\r\n"),
                // The embedded settings compare names exactly: known ones take their spelling, and a
                // section written again adds nothing, as in the file.
                Arguments.of("known names spelt as the launcher reads them", mojo(m -> {
                    try {
                        m.settings = file("spelt.ini", "[ java runtime environment ]\nmain CLASS = a.B\n"
                                + "[application]\ncmd=--x\nColour=blue\n[Application]\nCmd=--y\nError File=e.log\n");
                    } catch (IOException e) {
                        throw new java.io.UncheckedIOException(e);
                    }
                    m.singleInstance = true;
                }), List.of(withMain),
                        "[Java Runtime Environment]\r\nMain Class=a.B\r\n[Application]\r\nCmd=--x\r\nColour=blue\r\n"
                                + "Single Instance=yes\r\n[Product Information]\r\nUpgrade Code={CODE}\r\n"
                                + "[Class Path]\r\nClass Path=lib\\*.jar\r\n"),
                Arguments.of("a modular application", mojo(m -> {
                    m.mainModule = "com.acme.app/com.acme.app.Main";
                    m.modulePath = "lib";
                    m.addModules = "java.desktop";
                    m.productName = "Acme";
                }), List.of(jar("nomain.jar", null)),
                        "[Product Information]\r\nUpgrade Code={CODE}\r\nProduct Name=Acme\r\n"
                                + "[Java Runtime Environment]\r\nMain Module=com.acme.app/com.acme.app.Main\r\n"
                                + "Module Path=lib\r\nAdd Modules=java.desktop\r\n[Class Path]\r\nClass Path=lib\\*.jar\r\n"));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("merges")
    void embeddedSettings(String name, PackMojo mojo, List<Path> jars, String expected) throws Exception {
        assertEquals(expected, mojo.settings(jars).text());
    }

    static Stream<Arguments> refusals() throws IOException {
        Path noMain = jar("plain.jar", null);
        return Stream.of(
                Arguments.of("no main class anywhere", mojo(m -> {}), List.of(noMain),
                        "no main class: set mainClass (jlaunch.mainClass)"),
                Arguments.of("no upgrade code", mojo(m -> m.upgradeCode = null), List.of(noMain),
                        "upgradeCode (jlaunch.upgradeCode) is required"),
                Arguments.of("a settings file that is not one", mojo(m -> {
                    try {
                        m.settings = file("bad.ini", "Main Class=x\n");
                    } catch (IOException e) {
                        throw new java.io.UncheckedIOException(e);
                    }
                }), List.of(noMain), "settings (jlaunch.settings)"),
                Arguments.of("names the launcher does not read, when asked to fail on them", mojo(m -> {
                    try {
                        m.settings = file("misspelt.ini", MISSPELT);
                    } catch (IOException e) {
                        throw new java.io.UncheckedIOException(e);
                    }
                    m.failOnSettingsWarnings = true;
                }), List.of(noMain), "holds names the launcher does not read (failOnSettingsWarnings):\n  "
                        + MISSPELT_KEY + "\n  " + MISSPELT_SECTION));
    }

    static final String MISSPELT = "[Java Runtime Environment]\nMain Class=a.B\nVirtual Machine Parametres=-Xmx1g\n"
            + "[Aplication]\nCmd=x\n";
    static final String MISSPELT_KEY = "unknown key \"Virtual Machine Parametres\" in [Java Runtime Environment] is not "
            + "read; did you mean [Java Runtime Environment] Virtual Machine Parameters?";
    static final String MISSPELT_SECTION = "unknown section [Aplication] is not read; did you mean [Application]?";

    @Test
    void namesTheLauncherDoesNotReadAreWarnedOfAndPacked() throws Exception {
        File misspelt = file("warned.ini", MISSPELT);
        PackMojo mojo = mojo(m -> m.settings = misspelt);
        List<String> warnings = new ArrayList<>();
        mojo.setLog(new SystemStreamLog() {
            @Override
            public void warn(CharSequence content) {
                warnings.add(content.toString());
            }
        });
        String text = mojo.settings(List.of(jar("warned.jar", null))).text();
        assertEquals(List.of("jlaunch: " + misspelt + ": " + MISSPELT_KEY, "jlaunch: " + misspelt + ": " + MISSPELT_SECTION),
                warnings);
        assertTrue(text.contains("Virtual Machine Parametres=-Xmx1g\r\n[Aplication]\r\nCmd=x\r\n"), text);
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("refusals")
    void refused(String name, PackMojo mojo, List<Path> jars, String message) {
        MojoFailureException e = assertThrows(MojoFailureException.class, () -> mojo.settings(jars));
        assertTrue(e.getMessage().contains(message), e.getMessage());
    }

    static Stream<Arguments> versions() {
        return Stream.of(Arguments.of("1.4.0-SNAPSHOT", "1.4.0"), Arguments.of("2", "2"),
                Arguments.of("1.2.3.4.5", "1.2.3.4"), Arguments.of("v1", null), Arguments.of("2024.10-rc1", "2024.10"));
    }

    @ParameterizedTest
    @MethodSource("versions")
    void versionNumbers(String version, String numbers) {
        assertEquals(numbers, PackMojo.versionNumbers(version));
    }

    static Stream<Arguments> vmOptions() {
        return Stream.of(Arguments.of(List.of("-Xmx1g", "-Da=b"), "-Xmx1g -Da=b"),
                Arguments.of(List.of("-Dt=My App"), "\"-Dt=My App\""),
                Arguments.of(List.of("-Dg=say \"hi\" now"), "\"-Dg=say \"\"\"hi\"\"\" now\""),
                Arguments.of(List.of(" ", "-Xss1m"), "-Xss1m"));
    }

    @ParameterizedTest
    @MethodSource("vmOptions")
    void vmOptionsQuoted(List<String> options, String expected) {
        assertEquals(expected, VmOptions.join(options));
    }
}
