import javafx.application.Application;
import javafx.application.Platform;
import javafx.stage.Stage;

// A JavaFX application without main: the runtime's FX helper starts it.
public final class FxApp extends Application {
    @Override
    public void start(Stage stage) {
        System.out.println("JavaFX started with " + getParameters().getRaw());
        Platform.exit();
    }
}
