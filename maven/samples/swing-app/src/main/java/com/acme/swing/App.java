package com.acme.swing;

import java.awt.GraphicsEnvironment;
import javax.swing.JFrame;
import javax.swing.JLabel;
import javax.swing.SwingUtilities;
import org.apache.commons.lang3.StringUtils;

public final class App {
    private App() {}

    public static void main(String[] args) {
        String title = System.getProperty("acme.title", "untitled");
        // The dependency on the class path: commons-lang3 from lib/.
        String line = StringUtils.joinWith(" ", "swing-app:", title, "args=" + String.join(",", args));
        if (GraphicsEnvironment.isHeadless() || Boolean.getBoolean("acme.printOnly")) {
            System.out.println(line + " headless");
            return;
        }
        SwingUtilities.invokeLater(() -> {
            JFrame frame = new JFrame(title);
            frame.add(new JLabel(line));
            frame.setDefaultCloseOperation(JFrame.EXIT_ON_CLOSE);
            frame.pack();
            frame.setVisible(true);
        });
    }
}
