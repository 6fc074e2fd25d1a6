package dev.jlaunch.maven;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;
import static org.junit.jupiter.api.Assertions.assertTrue;

import dev.jlaunch.pack.Packer;
import dev.jlaunch.pack.PeImage;
import dev.jlaunch.pack.SealedEnvelope;
import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Set;
import java.util.function.Consumer;
import java.util.stream.Stream;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.artifact.DefaultArtifact;
import org.apache.maven.artifact.handler.DefaultArtifactHandler;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.project.MavenProject;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.io.TempDir;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.Arguments;
import org.junit.jupiter.params.provider.MethodSource;

/** The goal on a project of jars: what it writes where, and the configurations it refuses. */
class PackMojoExecuteTest {
    @TempDir
    Path work;

    static Artifact artifact(String id, Path file) {
        DefaultArtifactHandler handler = new DefaultArtifactHandler("jar");
        handler.setAddedToClasspath(true);
        DefaultArtifact artifact = new DefaultArtifact("com.acme", id, "1.0", "compile", "jar", null, handler);
        artifact.setFile(file == null ? null : file.toFile());
        return artifact;
    }

    PackMojo mojo(Consumer<PackMojo> setup) throws Exception {
        MavenProject project = new MavenProject();
        project.setArtifact(artifact("app", PackMojoSettingsTest.jar(work, "app-1.0.jar", "com.acme.App")));
        project.setArtifacts(Set.of(artifact("dep", PackMojoSettingsTest.jar(work, "dep-2.0.jar", null))));
        PackMojo mojo = new PackMojo();
        mojo.project = project;
        mojo.upgradeCode = "{CODE}";
        mojo.name = "app";
        mojo.windows = true;
        mojo.version = "1.0";
        mojo.outputDirectory = work.resolve("out").toFile();
        setup.accept(mojo);
        return mojo;
    }

    @Test
    void writesBothLaunchersWithLibAndTheLinesBesideThem() throws Exception {
        Path out = work.resolve("out");
        Files.createDirectories(out.resolve("linux/lib"));
        Files.write(out.resolve("linux/lib/dep-1.0.jar"), new byte[] {1});  // an earlier build's
        mojo(m -> m.linux = true).execute();
        for (String file : new String[] {"windows/app.exe", "windows/app.ini", "windows/lib/app-1.0.jar",
                                         "windows/lib/dep-2.0.jar", "linux/app", "linux/app.ini",
                                         "linux/lib/app-1.0.jar", "linux/lib/dep-2.0.jar"}) {
            assertTrue(Files.isRegularFile(out.resolve(file)), file);
        }
        assertFalse(Files.exists(out.resolve("linux/lib/dep-1.0.jar")), "a jar of an earlier build left in lib/");
        assertTrue(Files.isExecutable(out.resolve("linux/app")));
        assertEquals("[Product Information]\r\nUpgrade Code={CODE}\r\n", Files.readString(out.resolve("linux/app.ini")));
        byte[] exe = Files.readAllBytes(out.resolve("windows/app.exe"));
        assertEquals(2, PeImage.parse(exe).subsystem());
        assertTrue(SealedEnvelope.open(Packer.envelopeOf(exe), "{CODE}").orElseThrow()
                .contains("Main Class=com.acme.App\r\n"));
        assertFalse(Files.exists(out.resolve("windows/app.exe.part")));
    }

    static Stream<Arguments> besideFiles() {
        return Stream.of(
                Arguments.of("{CODE}", "Acme", "[Product Information]\r\nUpgrade Code={CODE}\r\nProduct Name=Acme\r\n",
                        "UTF-8"),
                Arguments.of("{CODE}", "Größe 日本", "[Product Information]\r\nUpgrade Code={CODE}\r\nProduct Name=Größe 日本\r\n",
                        "UTF-16LE"));
    }

    @ParameterizedTest
    @MethodSource("besideFiles")
    void besideFileReadsAsEachLauncherReadsIt(String code, String productName, String text, String windowsCharset)
            throws Exception {
        mojo(m -> {
            m.upgradeCode = code;
            m.productName = productName;
            m.linux = true;
        }).execute();
        byte[] windows = Files.readAllBytes(work.resolve("out/windows/app.ini"));
        boolean marked = windows.length > 2 && windows[0] == (byte) 0xFF && windows[1] == (byte) 0xFE;
        assertEquals(windowsCharset.equals("UTF-16LE"), marked);
        assertEquals(text, marked ? new String(windows, 2, windows.length - 2, java.nio.charset.StandardCharsets.UTF_16LE)
                : new String(windows, java.nio.charset.StandardCharsets.UTF_8));
        assertEquals(text, Files.readString(work.resolve("out/linux/app.ini")));
    }

    @Test
    void aSplashOfTheUsersFileShipsBesideTheLauncher() throws Exception {
        File own = Files.writeString(work.resolve("own.ini"), "[Display]\nSplash Screen=pictures\\start.png\n"
                + "Splash Screen Shadow=true\n").toFile();
        PackMojo mojo = mojo(m -> m.settings = own);
        mojo.execute();
        assertEquals("[Product Information]\r\nUpgrade Code={CODE}\r\n[Display]\r\nSplash Screen=pictures\\start.png\r\n",
                Files.readString(work.resolve("out/windows/app.ini")));
        String embedded = SealedEnvelope.open(Packer.envelopeOf(Files.readAllBytes(work.resolve("out/windows/app.exe"))),
                "{CODE}").orElseThrow();
        assertTrue(embedded.contains("[Display]\r\nSplash Screen Shadow=true\r\n"), embedded);
        assertFalse(embedded.contains("Splash Screen="), embedded);
    }

    @Test
    void skipWritesNothing() throws Exception {
        mojo(m -> m.skip = true).execute();
        assertFalse(Files.exists(work.resolve("out")));
    }

    static Stream<Arguments> refusals() {
        return Stream.of(
                Arguments.of("an icon that is not an icon", (Consumer<PackMojo>) m -> m.icon = new File(
                        System.getProperty("jlaunch.vectors"), "not-an-icon.ico"), "icon "),
                Arguments.of("a missing icon", (Consumer<PackMojo>) m -> m.icon = new File("/nonexistent.ico"),
                        "icon /nonexistent.ico cannot be read"),
                Arguments.of("an unknown execution level", (Consumer<PackMojo>) m -> m.executionLevel = "admin",
                        "executionLevel (jlaunch.executionLevel)"),
                Arguments.of("a version without numbers", (Consumer<PackMojo>) m -> m.version = "latest",
                        "version (jlaunch.version)"),
                Arguments.of("neither windows nor linux", (Consumer<PackMojo>) m -> m.windows = false,
                        "nothing to pack"),
                Arguments.of("a missing splash", (Consumer<PackMojo>) m -> m.splash = new File("/nonexistent.png"),
                        "splash (jlaunch.splash)"),
                Arguments.of("a main jar that is not there", (Consumer<PackMojo>) m -> m.mainJar =
                        new File("/nonexistent.jar"), "mainJar (jlaunch.mainJar)"));
    }

    @ParameterizedTest(name = "{0}")
    @MethodSource("refusals")
    void refusedWithTheParameterNamed(String name, Consumer<PackMojo> setup, String message) throws Exception {
        MojoFailureException e = assertThrows(MojoFailureException.class, () -> mojo(setup).execute());
        assertTrue(e.getMessage().contains(message), e.getMessage());
        assertFalse(Files.exists(work.resolve("out/windows/app.exe")), "no exe after a refusal");
    }

    @Test
    void aProjectWithoutItsJarIsRefused() throws Exception {
        PackMojo mojo = mojo(m -> m.project.setArtifact(artifact("app", null)));
        MojoFailureException e = assertThrows(MojoFailureException.class, mojo::execute);
        assertTrue(e.getMessage().contains("package phase"), e.getMessage());
    }
}
