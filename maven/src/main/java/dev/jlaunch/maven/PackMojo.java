package dev.jlaunch.maven;

import dev.jlaunch.pack.IconFile;
import dev.jlaunch.pack.Manifest;
import dev.jlaunch.pack.PackException;
import dev.jlaunch.pack.PackSettings;
import dev.jlaunch.pack.Packer;
import dev.jlaunch.pack.SealedEnvelope;
import dev.jlaunch.pack.SettingNames;
import dev.jlaunch.pack.VersionResource;
import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.StandardCopyOption;
import java.util.ArrayList;
import java.util.List;
import java.util.jar.JarFile;
import org.apache.maven.artifact.Artifact;
import org.apache.maven.plugin.AbstractMojo;
import org.apache.maven.plugin.MojoExecutionException;
import org.apache.maven.plugin.MojoFailureException;
import org.apache.maven.plugins.annotations.LifecyclePhase;
import org.apache.maven.plugins.annotations.Mojo;
import org.apache.maven.plugins.annotations.Parameter;
import org.apache.maven.plugins.annotations.ResolutionScope;
import org.apache.maven.project.MavenProject;

/**
 * Packages the application with the jlaunch launchers: {@code windows/<name>.exe} and {@code linux/<name>}, each
 * with its settings embedded, the lines of settings that must ship beside it, and {@code lib/} with the
 * project's jar and its runtime dependencies.
 */
@Mojo(name = "pack", defaultPhase = LifecyclePhase.PACKAGE, requiresDependencyResolution = ResolutionScope.RUNTIME,
      threadSafe = true)
public class PackMojo extends AbstractMojo {
    static final String JRE = "Java Runtime Environment";
    static final String PRODUCT = "Product Information";

    @Parameter(defaultValue = "${project}", readonly = true, required = true)
    MavenProject project;

    @Parameter(property = "jlaunch.mainClass")
    String mainClass;
    @Parameter(property = "jlaunch.mainModule")
    String mainModule;
    /** The jar whose Main-Class starts the application; default: the project's jar. */
    @Parameter(property = "jlaunch.mainJar")
    File mainJar;
    @Parameter(property = "jlaunch.modulePath")
    String modulePath;
    @Parameter(property = "jlaunch.addModules")
    String addModules;
    @Parameter(property = "jlaunch.vmOptions")
    List<String> vmOptions = new ArrayList<>();
    @Parameter(property = "jlaunch.minVersion")
    String minVersion;
    @Parameter(property = "jlaunch.maxVersion")
    String maxVersion;
    @Parameter(property = "jlaunch.jrePath")
    String jrePath;
    /** A picture shown while the application starts; copied beside each launcher. */
    @Parameter(property = "jlaunch.splash")
    File splash;
    @Parameter(property = "jlaunch.singleInstance", defaultValue = "false")
    boolean singleInstance;
    @Parameter(property = "jlaunch.productName")
    String productName;
    @Parameter(property = "jlaunch.productCode")
    String productCode;
    /** Identifies the product across versions and deciphers the embedded settings: a GUID. */
    @Parameter(property = "jlaunch.upgradeCode")
    String upgradeCode;
    @Parameter(property = "jlaunch.icon")
    File icon;
    /** The file and product version: one to four numbers; a suffix such as "-SNAPSHOT" is dropped. */
    @Parameter(property = "jlaunch.version", defaultValue = "${project.version}")
    String version;
    @Parameter(property = "jlaunch.company", defaultValue = "${project.organization.name}")
    String company;
    @Parameter(property = "jlaunch.copyright")
    String copyright;
    @Parameter(property = "jlaunch.description", defaultValue = "${project.description}")
    String description;
    @Parameter(property = "jlaunch.executionLevel")
    String executionLevel;
    /** The console launcher (jlaunchc.exe) instead of the GUI one. */
    @Parameter(property = "jlaunch.console", defaultValue = "false")
    boolean console;
    @Parameter(property = "jlaunch.windows", defaultValue = "true")
    boolean windows;
    @Parameter(property = "jlaunch.linux", defaultValue = "false")
    boolean linux;
    @Parameter(property = "jlaunch.name", defaultValue = "${project.artifactId}")
    String name;
    @Parameter(property = "jlaunch.outputDirectory", defaultValue = "${project.build.directory}/jlaunch")
    File outputDirectory;
    @Parameter(property = "jlaunch.skip", defaultValue = "false")
    boolean skip;
    /** A settings file of the user's own for every other key; the parameters override its keys. */
    @Parameter(property = "jlaunch.settings")
    File settings;
    /** Fail the build when the settings file holds a section or key the launcher does not read. */
    @Parameter(property = "jlaunch.failOnSettingsWarnings", defaultValue = "false")
    boolean failOnSettingsWarnings;

    /** The "Splash Screen" of the user's settings file, which ships beside the launchers. */
    private String besideSplash;

    @Override
    public void execute() throws MojoExecutionException, MojoFailureException {
        if (skip) {
            getLog().info("jlaunch: skipped");
            return;
        }
        if (!windows && !linux) {
            throw new MojoFailureException("jlaunch: both windows and linux are false: there is nothing to pack");
        }
        // Every check comes before the first file is written.
        if (splash != null && !splash.isFile()) {
            throw new MojoFailureException("jlaunch: splash (jlaunch.splash) " + splash + " is not a file");
        }
        List<Path> jars = libraryJars();
        IniSettings embedded = settings(jars);
        byte[] iconBytes = iconBytes();
        try {
            if (windows) {
                pack("windows", name + ".exe", console ? "jlaunchc.exe" : "jlaunch.exe", embedded, jars, iconBytes);
            }
            if (linux) {
                pack("linux", name, "jlaunch", embedded, jars, null);
            }
        } catch (IOException e) {
            throw new MojoExecutionException("jlaunch: cannot write under " + outputDirectory + ": " + e.getMessage(), e);
        }
    }

    /** The jars of lib/: the project's own first, then its runtime dependencies. */
    List<Path> libraryJars() throws MojoFailureException {
        List<Path> jars = new ArrayList<>();
        File own = project.getArtifact() == null ? null : project.getArtifact().getFile();
        if (own == null || !own.isFile()) {
            throw new MojoFailureException("jlaunch: the project has no jar yet; bind the pack goal to the package "
                    + "phase (its default) or later");
        }
        jars.add(own.toPath());
        for (Artifact artifact : project.getArtifacts()) {
            if (artifact.getFile() != null && artifact.getArtifactHandler().isAddedToClasspath()) {
                jars.add(artifact.getFile().toPath());
            }
        }
        if (mainJar != null && jars.stream().noneMatch(j -> j.getFileName().toString().equals(mainJar.getName()))) {
            if (!mainJar.isFile()) {
                throw new MojoFailureException("jlaunch: mainJar (jlaunch.mainJar) " + mainJar + " is not a file");
            }
            jars.add(mainJar.toPath());
        }
        return jars;
    }

    /** The settings every launcher embeds: the user's file with the parameters set over it. */
    IniSettings settings(List<Path> jars) throws MojoFailureException {
        IniSettings ini = new IniSettings();
        if (settings != null) {
            try {
                String text = PackSettings.checkedText(Files.readAllBytes(settings.toPath()));
                checkNames(text);
                ini = IniSettings.parse(text);
            } catch (PackException e) {
                throw new MojoFailureException("jlaunch: settings (jlaunch.settings) " + settings + ": " + e.getMessage());
            } catch (IOException e) {
                throw new MojoFailureException("jlaunch: settings (jlaunch.settings) " + settings
                        + " cannot be read: " + e.getMessage());
            }
        }
        // The launcher reads a splash only from the file beside it: one in the user's file moves there.
        besideSplash = ini.get("Display", "Splash Screen");
        ini.remove("Display", "Splash Screen");
        ini.set(PRODUCT, "Upgrade Code", upgradeCode).set(PRODUCT, "Product Name", productName)
                .set(PRODUCT, "Product Code", productCode);
        String code = ini.get(PRODUCT, "Upgrade Code");
        if (code == null || code.isEmpty()) {
            throw new MojoFailureException("jlaunch: upgradeCode (jlaunch.upgradeCode) is required: the embedded "
                    + "settings are enciphered with it; give the product a GUID of its own, such as "
                    + "{" + java.util.UUID.randomUUID().toString().toUpperCase() + "}");
        }
        ini.set(JRE, "Main Module", mainModule).set(JRE, "Module Path", modulePath)
                .set(JRE, "Add Modules", addModules).set(JRE, "Minimum Version", minVersion)
                .set(JRE, "Maximum Version", maxVersion).set(JRE, "JRE Path", jrePath);
        if (!vmOptions.isEmpty()) {
            ini.set(JRE, "Virtual Machine Parameters", VmOptions.join(vmOptions));
        }
        if (mainJar != null) {
            ini.set(JRE, "Main Jar", "lib\\" + mainJar.getName());
        }
        ini.set(JRE, "Main Class", mainClass);
        if (ini.get(JRE, "Main Class") == null && ini.get(JRE, "Main Module") == null) {
            Path jar = mainJar != null ? mainJar.toPath() : jars.get(0);
            String fromJar = mainClassOf(jar);
            if (fromJar == null) {
                throw new MojoFailureException("jlaunch: no main class: set mainClass (jlaunch.mainClass) or "
                        + "mainModule (jlaunch.mainModule), or give " + jar.getFileName()
                        + " a Main-Class in its manifest");
            }
            ini.set(JRE, "Main Class", fromJar);
        }
        if (ini.get("Class Path", "Class Path") == null) {
            ini.set("Class Path", "Class Path", "lib\\*.jar");  // a backslash serves both launchers
        }
        if (singleInstance) {
            ini.set("Application", "Single Instance", "yes");
        }
        return ini;
    }

    /** Warns of each name the launcher would not read, in jlaunch-pack's words; fails on them when asked. */
    private void checkNames(String text) throws MojoFailureException {
        List<String> notices = SettingNames.check(text);
        for (String notice : notices) {
            getLog().warn("jlaunch: " + settings + ": " + notice);
        }
        if (failOnSettingsWarnings && !notices.isEmpty()) {
            throw new MojoFailureException("jlaunch: settings (jlaunch.settings) " + settings + " holds names the "
                    + "launcher does not read (failOnSettingsWarnings):\n  " + String.join("\n  ", notices));
        }
    }

    private static String mainClassOf(Path jar) throws MojoFailureException {
        try (JarFile file = new JarFile(jar.toFile())) {
            return file.getManifest() == null ? null : file.getManifest().getMainAttributes().getValue("Main-Class");
        } catch (IOException e) {
            throw new MojoFailureException("jlaunch: mainJar " + jar + " is not a readable jar: " + e.getMessage());
        }
    }

    private byte[] iconBytes() throws MojoFailureException {
        if (icon == null || !windows) {
            return null;
        }
        try {
            byte[] bytes = Files.readAllBytes(icon.toPath());
            IconFile.read(bytes, 1);
            return bytes;
        } catch (IOException e) {
            throw new MojoFailureException("jlaunch: icon " + icon + " cannot be read: " + e.getMessage());
        } catch (PackException e) {
            throw new MojoFailureException("jlaunch: icon " + icon + " is not an icon: " + e.getMessage());
        }
    }

    /** The numbers of the version: "1.4.0-SNAPSHOT" gives 1.4.0. */
    static String versionNumbers(String version) {
        if (version == null) {
            return null;
        }
        java.util.regex.Matcher m = java.util.regex.Pattern.compile("^[0-9]+(\\.[0-9]+){0,3}").matcher(version);
        return m.find() ? m.group() : null;
    }

    private void pack(String platform, String fileName, String launcherName, IniSettings embedded, List<Path> jars,
                      byte[] iconBytes) throws IOException, MojoFailureException {
        Path folder = outputDirectory.toPath().resolve(platform);
        Path lib = folder.resolve("lib");
        Files.createDirectories(lib);
        // The class path takes every jar of lib/: one left from an earlier build would join it.
        try (var old = Files.newDirectoryStream(lib, "*.jar")) {
            for (Path jar : old) {
                Files.delete(jar);
            }
        }
        for (Path jar : jars) {
            Files.copy(jar, lib.resolve(jar.getFileName()), StandardCopyOption.REPLACE_EXISTING);
        }
        byte[] launcher = launcher(platform + "/" + launcherName);
        PackSettings packSettings;
        byte[] packed;
        try {
            packSettings = PackSettings.of(embedded.text());
            byte[] envelope = SealedEnvelope.seal(packSettings.text(), packSettings.upgradeCode());
            if (platform.equals("linux")) {
                packed = Packer.packLinux(launcher, envelope);
            } else {
                String level = executionLevel == null || executionLevel.isEmpty() ? null : executionLevel;
                if (level != null && !Manifest.LEVELS.contains(level)) {
                    throw new MojoFailureException("jlaunch: executionLevel (jlaunch.executionLevel) must be asInvoker, "
                            + "highestAvailable or requireAdministrator, not " + level);
                }
                String numbers = versionNumbers(version);
                if (version != null && !version.isEmpty() && (numbers == null || VersionResource.parseNumbers(numbers) == null)) {
                    throw new MojoFailureException("jlaunch: version (jlaunch.version) must start with one to four "
                            + "numbers of 0 to 65535 separated by dots, such as 1.2.3; not " + version);
                }
                packed = Packer.packWindows(launcher, envelope, new Packer.Branding(fileName, iconBytes, numbers,
                        productName == null ? name : productName, orEmpty(company), orEmpty(copyright),
                        orEmpty(description), level));
            }
        } catch (PackException e) {
            throw new MojoFailureException("jlaunch: " + platform + "/" + fileName + ": " + e.getMessage());
        }
        // Written under another name and renamed when complete: never a half-written executable.
        Path out = folder.resolve(fileName);
        Path pending = folder.resolve(fileName + ".part");
        Files.write(pending, packed);
        Files.move(pending, out, StandardCopyOption.REPLACE_EXISTING, StandardCopyOption.ATOMIC_MOVE);
        if (platform.equals("linux") && !out.toFile().setExecutable(true, false)) {
            throw new IOException("cannot make " + out + " executable");
        }
        StringBuilder beside = new StringBuilder(packSettings.besideLines());
        String splashName = null;
        if (splash != null) {
            Files.copy(splash.toPath(), folder.resolve(splash.getName()), StandardCopyOption.REPLACE_EXISTING);
            splashName = splash.getName();
        } else {
            splashName = besideSplash;
        }
        if (splashName != null) {
            // The launcher takes the splash only from the file beside it.
            beside.append("[Display]\r\nSplash Screen=").append(splashName).append("\r\n");
        }
        String stem = platform.equals("linux") ? fileName : name;
        Files.write(folder.resolve(stem + ".ini"), besideBytes(beside.toString(), platform.equals("windows")));
        getLog().info("jlaunch: " + out + " (" + packed.length + " bytes), with " + stem + ".ini and lib/ ("
                + jars.size() + " jars)");
    }

    /**
     * The file beside a launcher. Windows reads a file without a byte-order mark in the ANSI code page, so
     * there text beyond ASCII goes in UTF-16 behind its mark; the Linux launcher reads UTF-8.
     */
    static byte[] besideBytes(String text, boolean windows) {
        if (!windows || text.chars().allMatch(c -> c < 0x80)) {
            return text.getBytes(StandardCharsets.UTF_8);
        }
        byte[] body = text.getBytes(StandardCharsets.UTF_16LE);
        byte[] out = new byte[body.length + 2];
        out[0] = (byte) 0xFF;
        out[1] = (byte) 0xFE;
        System.arraycopy(body, 0, out, 2, body.length);
        return out;
    }

    private static String orEmpty(String text) {
        return text == null ? "" : text;
    }

    private static byte[] launcher(String resource) throws IOException {
        try (InputStream in = PackMojo.class.getResourceAsStream("/dev/jlaunch/launchers/" + resource)) {
            if (in == null) {
                throw new IOException("the plugin jar lacks its launcher " + resource);
            }
            return in.readAllBytes();
        }
    }
}
