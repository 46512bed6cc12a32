// Pages for checking what reaches the screen when only changed frames are
// drawn. The movie's file name picks the page:
//   still   filters, blend modes, a mask, a noise bitmap, Chinese and Latin
//           device text, nothing moving; "frames_ready" once drawn
//   timer   a still page that changes once, on a timer with no input:
//           "frames_changed" in the frame of the change
//   drawn   a bitmap drawn by code every frame, moving for 60 frames, then
//           the same picture drawn again each frame: "frames_ready"
//   trail   a bitmap that a faint square is drawn onto (BitmapData.draw)
//           at the same place every frame, for 45 frames: "frames_ready"
//   moving  a square one pixel further every frame, for ever
//   video   an FLV video (clip.flv beside the movie) playing to its end:
//           "frames_playing" at its start, "frames_ended" at its end
import flash.display.BitmapData;
import flash.display.Bitmap;
import flash.display.BlendMode;
import flash.display.GradientType;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.NetStatusEvent;
import flash.events.TimerEvent;
import flash.filters.BevelFilter;
import flash.filters.BlurFilter;
import flash.filters.DropShadowFilter;
import flash.filters.GlowFilter;
import flash.geom.Matrix;
import flash.geom.Rectangle;
import flash.media.Video;
import flash.net.NetConnection;
import flash.net.NetStream;
import flash.text.TextField;
import flash.text.TextFormat;
import flash.utils.Timer;

class Frames {
    static var stage:Sprite;

    static function main() {
        stage = flash.Lib.current;
        var url = stage.loaderInfo.url;
        var page = url.substring(url.lastIndexOf("/") + 1, url.lastIndexOf("."));
        switch (page) {
            case "still": still();
            case "timer": timer();
            case "drawn": drawn();
            case "trail": trail();
            case "moving": moving();
            case "video": video();
            default: tell("frames_unknown", page);
        }
    }

    static function tell(command:String, args:String) {
        untyped __global__["flash.system.fscommand"](command, args);
    }

    // Says `command` once `frames` frames have passed.
    static function after(frames:Int, command:String) {
        var count = 0;
        var listener = null;
        listener = function(_) {
            if (++count == frames) {
                stage.removeEventListener(Event.ENTER_FRAME, listener);
                tell(command, "");
            }
        };
        stage.addEventListener(Event.ENTER_FRAME, listener);
    }

    static function box(color:Int, x:Float, y:Float, width:Float, height:Float):Shape {
        var shape = new Shape();
        shape.graphics.beginFill(color);
        shape.graphics.drawRoundRect(0, 0, width, height, 24, 24);
        shape.x = x;
        shape.y = y;
        stage.addChild(shape);
        return shape;
    }

    static function text(content:String, font:String, size:Int, x:Float, y:Float):TextField {
        var field = new TextField();
        field.defaultTextFormat = new TextFormat(font, size, 0x202020);
        field.width = 700;
        field.height = size + 12;
        field.x = x;
        field.y = y;
        field.text = content;
        stage.addChild(field);
        return field;
    }

    static function still() {
        var background = new Shape();
        var matrix = new Matrix();
        matrix.createGradientBox(800, 600, Math.PI / 3);
        background.graphics.beginGradientFill(GradientType.LINEAR, [0xf7d9a0, 0x8fb8e8], [1, 1], [0, 255], matrix);
        background.graphics.drawRect(0, 0, 800, 600);
        stage.addChild(background);
        box(0x3366cc, 40, 40, 200, 120).filters = [new DropShadowFilter(8, 45, 0, 0.6, 10, 10), new GlowFilter(0xffcc00, 1, 12, 12)];
        box(0xcc3366, 300, 40, 200, 120).filters = [new BlurFilter(6, 6, 2)];
        box(0x33aa66, 560, 40, 200, 120).filters = [new BevelFilter(6, 45, 0xffffff, 1, 0, 1, 8, 8)];
        var circle = new Shape();
        circle.graphics.beginFill(0xff8800);
        circle.graphics.drawCircle(0, 0, 90);
        circle.x = 140;
        circle.y = 300;
        circle.blendMode = BlendMode.MULTIPLY;
        stage.addChild(circle);
        var noise = new BitmapData(200, 150, false);
        noise.noise(7, 0, 255, 7, false);
        var picture = new Bitmap(noise);
        picture.x = 300;
        picture.y = 220;
        stage.addChild(picture);
        var masked = box(0x9933cc, 560, 220, 200, 150);
        var mask = new Shape();
        mask.graphics.beginFill(0);
        mask.graphics.drawCircle(660, 295, 70);
        stage.addChild(mask);
        masked.mask = mask;
        text("宋体：静止的一页，只在变化时绘制。", "宋体", 24, 40, 420);
        text("_sans: a still page is drawn once.", "_sans", 22, 40, 470);
        text("黑体与 Latin 混排 in one line", "黑体", 22, 40, 520);
        after(3, "frames_ready");
    }

    static function timer() {
        var panel = box(0x3366cc, 100, 100, 600, 300);
        var label = text("等待 waiting", "_sans", 28, 140, 200);
        var change = new Timer(2000, 1);
        change.addEventListener(TimerEvent.TIMER, function(_) {
            var transform = panel.transform.colorTransform;
            transform.color = 0xcc6633;
            panel.transform.colorTransform = transform;
            label.text = "变了 changed";
            tell("frames_changed", "");
        });
        change.start();
    }

    static function drawn() {
        var canvas = new BitmapData(320, 240, false, 0xffffff);
        var picture = new Bitmap(canvas);
        picture.x = 240;
        picture.y = 180;
        stage.addChild(picture);
        var frame = 0;
        stage.addEventListener(Event.ENTER_FRAME, function(_) {
            var step = frame < 60 ? frame : 60;
            canvas.lock();
            canvas.fillRect(new Rectangle(0, 0, 320, 240), 0xffffff);
            for (i in 0...16) {
                canvas.fillRect(new Rectangle((step * 4 + i * 20) % 320, i * 15, 18, 13), 0x204080 + i * 0x0c0a00);
            }
            canvas.unlock();
            if (++frame == 70) {
                tell("frames_ready", "");
            }
        });
    }

    static function trail() {
        var canvas = new BitmapData(320, 240, false, 0xffffff);
        var picture = new Bitmap(canvas);
        picture.x = 240;
        picture.y = 180;
        stage.addChild(picture);
        var square = new Shape();
        square.graphics.beginFill(0x2040c0, 0.08);
        square.graphics.drawRect(60, 40, 200, 160);
        var frame = 0;
        stage.addEventListener(Event.ENTER_FRAME, function(_) {
            if (frame < 45) {
                canvas.draw(square);
            }
            if (++frame == 50) {
                tell("frames_ready", "");
            }
        });
    }

    static function moving() {
        var square = box(0xcc3333, 0, 260, 80, 80);
        stage.addEventListener(Event.ENTER_FRAME, function(_) {
            square.x = (square.x + 1) % 720;
        });
        after(3, "frames_ready");
    }

    static function video() {
        var connection = new NetConnection();
        connection.connect(null);
        var stream = new NetStream(connection);
        stream.client = {onMetaData: function(_) {}};
        var screen = new Video(320, 240);
        screen.x = 240;
        screen.y = 180;
        screen.attachNetStream(stream);
        stage.addChild(screen);
        stream.addEventListener(NetStatusEvent.NET_STATUS, function(event:NetStatusEvent) {
            switch (event.info.code) {
                case "NetStream.Play.Start": tell("frames_playing", "");
                case "NetStream.Play.Stop": tell("frames_ended", "");
            }
        });
        stream.play("clip.flv");
    }
}
