// The kelvo library for .NET and Mono hosts: P/Invoke declarations of the C functions of kelvo.h,
// under their C names, with a few helpers where C strings or status codes meet .NET.
//
// The library is "kelvo_dll": kelvo_dll.dll on Windows, libkelvo_dll.so on Linux (kelvo-dev
// installs that name; with the runtime package alone, Mono maps it to libkelvo_dll.so.1 through a
// dllmap, see example/KelvoExample.exe.config).
//
// Api is partial: each group of calls of kelvo.h is one block below, and a new group is one more.
using System;
using System.Runtime.InteropServices;
using System.Text;

namespace Kelvo
{
    // One point of a continuous-motion queue, laid out as the C struct (200 bytes).
    [StructLayout(LayoutKind.Sequential)]
    public struct ContinuousMotionPoint
    {
        public const int PosLength = 19;

        public double Velocity;
        public double Acc;
        public double Dec;
        public double Pl;
        public int Spin;
        [MarshalAs(UnmanagedType.ByValArray, SizeConst = PosLength)]
        public double[] Pos;
        public int Type; // 1 MOVJ, 2 MOVL, 3 MOVC, 4 MOVCA, 5 MOVJEXT, 6 MOVLEXT, 7 MOVCEXT

        // A point of type at velocity through pos (at most 19 values; the rest are 0).
        public static ContinuousMotionPoint Create(int type, double velocity, params double[] pos)
        {
            if (pos.Length > PosLength)
                throw new ArgumentException("a point has at most 19 values", "pos");
            var point = new ContinuousMotionPoint { Type = type, Velocity = velocity, Pos = new double[PosLength] };
            Array.Copy(pos, point.Pos, pos.Length);
            return point;
        }
    }

    // The status codes of the session calls.
    public enum Status
    {
        Ok = 0,
        Invalid = -1,
        NotConnected = -2,
        Timeout = -3,
        Refused = -4,
        Busy = -5,
        TooLarge = -6,
        Closed = -7,
        Io = -8,
    }

    // A session call that did not return Status.Ok.
    public class KelvoException : Exception
    {
        public KelvoException(int code)
            : base(Api.StrError(code))
        {
            Code = (Status)code;
        }

        public Status Code { get; private set; }
    }

    // A session: kelvo_open's result, closed by Dispose (after every call on it has returned). The
    // default session belongs to the library and is never closed here.
    public sealed class SessionHandle : SafeHandle
    {
        private SessionHandle()
            : base(IntPtr.Zero, true)
        {
        }

        internal SessionHandle(IntPtr session, bool owned)
            : base(IntPtr.Zero, owned)
        {
            SetHandle(session);
        }

        public override bool IsInvalid
        {
            get { return handle == IntPtr.Zero; }
        }

        protected override bool ReleaseHandle()
        {
            Api.kelvo_close(handle);
            return true;
        }
    }

    // ---- Version and status texts ----
    public static partial class Api
    {
        internal const string Library = "kelvo_dll";

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_version")]
        private static extern IntPtr kelvo_version_text();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_strerror")]
        private static extern IntPtr kelvo_strerror_text(int code);

        // "MAJOR.MINOR.PATCH" of the loaded library.
        public static string Version()
        {
            return Utf8(kelvo_version_text());
        }

        public static string StrError(int code)
        {
            return Utf8(kelvo_strerror_text(code));
        }

        // Throws KelvoException unless code is Status.Ok.
        public static void Check(int code)
        {
            if (code != (int)Status.Ok)
                throw new KelvoException(code);
        }

        // An array shorter than the C call reads or writes would be overrun by the library.
        internal static void Need(double[] values, int count, string name)
        {
            if (values == null || values.Length < count)
                throw new ArgumentException(name + " needs " + count + " elements, not "
                                                + (values == null ? "null" : values.Length.ToString()), name);
        }

        internal static void NeedPoints(ContinuousMotionPoint[] points, uint count)
        {
            if (count > (points == null ? 0u : (uint)points.Length))
                throw new ArgumentException("count " + count + " exceeds the " + (points == null ? 0 : points.Length)
                                                + " points given", "points");
        }

        internal static string Utf8(IntPtr text)
        {
            if (text == IntPtr.Zero)
                return null;
            int length = 0;
            while (Marshal.ReadByte(text, length) != 0)
                ++length;
            var bytes = new byte[length];
            Marshal.Copy(text, bytes, 0, length);
            return Encoding.UTF8.GetString(bytes);
        }
    }

    // ---- The flat calls: the default session that connect_robot makes ----
    public static partial class Api
    {
        [StructLayout(LayoutKind.Sequential)]
        private struct LogText
        {
            public IntPtr Text;
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        [return: MarshalAs(UnmanagedType.I1)]
        public static extern bool connect_robot([MarshalAs(UnmanagedType.LPUTF8Str)] string ip);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        [return: MarshalAs(UnmanagedType.I1)]
        public static extern bool is_connected();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_reply_timeout(int ms);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int servo_power_on();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void servo_power_off();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void start_jogging(int axis, [MarshalAs(UnmanagedType.I1)] bool positive);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void stop_jogging(int axis);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        private static extern void show_log(ref LogText message);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_dout(int port, int status);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_aout(int port, double value);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_dout")]
        private static extern void get_dout_native([Out] double[] values16);
        public static void get_dout(double[] values16)
        {
            Need(values16, 16, "values16");
            get_dout_native(values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_din")]
        private static extern void get_din_native([Out] double[] values16);
        public static void get_din(double[] values16)
        {
            Need(values16, 16, "values16");
            get_din_native(values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_aout")]
        private static extern void get_aout_native([Out] double[] values16);
        public static void get_aout(double[] values16)
        {
            Need(values16, 16, "values16");
            get_aout_native(values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_ain")]
        private static extern void get_ain_native([Out] double[] values16);
        public static void get_ain(double[] values16)
        {
            Need(values16, 16, "values16");
            get_ain_native(values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int get_robot_running_state();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_current_position")]
        private static extern void get_current_position_native([Out] double[] values6, int coord);
        public static void get_current_position(double[] values6, int coord)
        {
            Need(values6, 6, "values6");
            get_current_position_native(values6, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "get_current_sync_position")]
        private static extern void get_current_sync_position_native([Out] double[] values5);
        public static void get_current_sync_position(double[] values5)
        {
            Need(values5, 5, "values5");
            get_current_sync_position_native(values5);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "robot_movj")]
        private static extern void robot_movj_native(double[] pos, int vel, int coord);
        public static void robot_movj(double[] pos, int vel, int coord)
        {
            Need(pos, 6, "pos");
            robot_movj_native(pos, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "robot_movl")]
        private static extern void robot_movl_native(double[] pos, int vel, int coord);
        public static void robot_movl(double[] pos, int vel, int coord)
        {
            Need(pos, 6, "pos");
            robot_movl_native(pos, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "robot_movc")]
        private static extern void robot_movc_native(double[] p1, double[] p2, double[] p3, int vel, int coord);
        public static void robot_movc(double[] p1, double[] p2, double[] p3, int vel, int coord)
        {
            Need(p1, 6, "p1");
            Need(p2, 6, "p2");
            Need(p3, 6, "p3");
            robot_movc_native(p1, p2, p3, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "robot_movca")]
        private static extern void robot_movca_native(double[] p1, double[] p2, double[] p3, int vel, int coord);
        public static void robot_movca(double[] p1, double[] p2, double[] p3, int vel, int coord)
        {
            Need(p1, 6, "p1");
            Need(p2, 6, "p2");
            Need(p3, 6, "p3");
            robot_movca_native(p1, p2, p3, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void run_job([MarshalAs(UnmanagedType.LPUTF8Str)] string name);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void stop_job();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void continuous_motion_mode(int open);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "send_continuous_motion_queue")]
        private static extern void send_continuous_motion_queue_native([In] ContinuousMotionPoint[] points, uint count);
        public static void send_continuous_motion_queue(ContinuousMotionPoint[] points, uint count)
        {
            NeedPoints(points, count);
            send_continuous_motion_queue_native(points, count);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_jogging_speed(int speed);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int get_jogging_speed();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_current_mode(int mode);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int get_current_mode();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void set_current_coord(int coord);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int get_current_coord();

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void upload_job();
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void sync_jobs();

        // show_log with a .NET string, passed as UTF-8.
        public static void ShowLog(string text)
        {
            byte[] bytes = Encoding.UTF8.GetBytes(text + "\0");
            var pinned = GCHandle.Alloc(bytes, GCHandleType.Pinned);
            try
            {
                var message = new LogText { Text = pinned.AddrOfPinnedObject() };
                show_log(ref message);
            }
            finally
            {
                pinned.Free();
            }
        }
    }

    // ---- Sessions: several controllers, a status from every call ----
    public static partial class Api
    {
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern SessionHandle kelvo_open([MarshalAs(UnmanagedType.LPUTF8Str)] string ip, int port,
                                                      int timeout_ms, out int error);
        // Only through SessionHandle, which closes a session once.
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        internal static extern void kelvo_close(IntPtr session);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_default_session")]
        private static extern IntPtr kelvo_default_session_pointer();

        // The session connect_robot made; invalid before it.
        public static SessionHandle DefaultSession()
        {
            return new SessionHandle(kelvo_default_session_pointer(), false);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_transfer_port(SessionHandle session, int port);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_job_dir(SessionHandle session,
                                                   [MarshalAs(UnmanagedType.LPUTF8Str)] string dir);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_is_connected(SessionHandle session, out int connected);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_reply_timeout(SessionHandle session, int ms);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_fences(SessionHandle session, int on);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_servo_power_on(SessionHandle session, out int status);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_servo_power_off(SessionHandle session);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_start_jogging(SessionHandle session, int axis, int positive);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_stop_jogging(SessionHandle session, int axis);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_dout(SessionHandle session, int port, int status);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_aout(SessionHandle session, int port, double value);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_dout")]
        private static extern int kelvo_get_dout_native(SessionHandle session, [Out] double[] values16);
        public static int kelvo_get_dout(SessionHandle session, double[] values16)
        {
            Need(values16, 16, "values16");
            return kelvo_get_dout_native(session, values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_din")]
        private static extern int kelvo_get_din_native(SessionHandle session, [Out] double[] values16);
        public static int kelvo_get_din(SessionHandle session, double[] values16)
        {
            Need(values16, 16, "values16");
            return kelvo_get_din_native(session, values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_aout")]
        private static extern int kelvo_get_aout_native(SessionHandle session, [Out] double[] values16);
        public static int kelvo_get_aout(SessionHandle session, double[] values16)
        {
            Need(values16, 16, "values16");
            return kelvo_get_aout_native(session, values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_ain")]
        private static extern int kelvo_get_ain_native(SessionHandle session, [Out] double[] values16);
        public static int kelvo_get_ain(SessionHandle session, double[] values16)
        {
            Need(values16, 16, "values16");
            return kelvo_get_ain_native(session, values16);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_robot_running_state(SessionHandle session, out int state);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_current_position")]
        private static extern int kelvo_get_current_position_native(SessionHandle session, [Out] double[] values6, int coord);
        public static int kelvo_get_current_position(SessionHandle session, double[] values6, int coord)
        {
            Need(values6, 6, "values6");
            return kelvo_get_current_position_native(session, values6, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_get_current_sync_position")]
        private static extern int kelvo_get_current_sync_position_native(SessionHandle session, [Out] double[] values5);
        public static int kelvo_get_current_sync_position(SessionHandle session, double[] values5)
        {
            Need(values5, 5, "values5");
            return kelvo_get_current_sync_position_native(session, values5);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_robot_movj")]
        private static extern int kelvo_robot_movj_native(SessionHandle session, double[] pos, int vel, int coord);
        public static int kelvo_robot_movj(SessionHandle session, double[] pos, int vel, int coord)
        {
            Need(pos, 6, "pos");
            return kelvo_robot_movj_native(session, pos, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_robot_movl")]
        private static extern int kelvo_robot_movl_native(SessionHandle session, double[] pos, int vel, int coord);
        public static int kelvo_robot_movl(SessionHandle session, double[] pos, int vel, int coord)
        {
            Need(pos, 6, "pos");
            return kelvo_robot_movl_native(session, pos, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_robot_movc")]
        private static extern int kelvo_robot_movc_native(SessionHandle session, double[] p1, double[] p2, double[] p3, int vel, int coord);
        public static int kelvo_robot_movc(SessionHandle session, double[] p1, double[] p2, double[] p3, int vel, int coord)
        {
            Need(p1, 6, "p1");
            Need(p2, 6, "p2");
            Need(p3, 6, "p3");
            return kelvo_robot_movc_native(session, p1, p2, p3, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_robot_movca")]
        private static extern int kelvo_robot_movca_native(SessionHandle session, double[] p1, double[] p2, double[] p3, int vel, int coord);
        public static int kelvo_robot_movca(SessionHandle session, double[] p1, double[] p2, double[] p3, int vel, int coord)
        {
            Need(p1, 6, "p1");
            Need(p2, 6, "p2");
            Need(p3, 6, "p3");
            return kelvo_robot_movca_native(session, p1, p2, p3, vel, coord);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_run_job(SessionHandle session, [MarshalAs(UnmanagedType.LPUTF8Str)] string name);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_stop_job(SessionHandle session);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_continuous_motion_mode(SessionHandle session, int open);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "kelvo_send_continuous_motion_queue")]
        private static extern int kelvo_send_continuous_motion_queue_native(SessionHandle session, [In] ContinuousMotionPoint[] points, uint count);
        public static int kelvo_send_continuous_motion_queue(SessionHandle session, ContinuousMotionPoint[] points, uint count)
        {
            NeedPoints(points, count);
            return kelvo_send_continuous_motion_queue_native(session, points, count);
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_jogging_speed(SessionHandle session, int speed);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_jogging_speed(SessionHandle session, out int speed);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_current_mode(SessionHandle session, int mode);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_current_mode(SessionHandle session, out int mode);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_current_coord(SessionHandle session, int coord);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_current_coord(SessionHandle session, out int coord);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_upload_job(SessionHandle session);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_sync_jobs(SessionHandle session);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_servo_status(SessionHandle session, out int status);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_clear_alarm(SessionHandle session, int code);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_clear_all_alarms(SessionHandle session);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_stop_move(SessionHandle session, int axis);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_get_tool(SessionHandle session, out int tool);
    }

    // One event of a session, laid out as the C struct. Values and Text point into the library:
    // copy them before the next kelvo_next_event of the same thread, or before the handler returns.
    [StructLayout(LayoutKind.Sequential)]
    public struct KelvoEvent
    {
        public int Kind;    // EventKind
        public int Robot;
        public int Code;
        public int Count;
        public IntPtr Values;
        public IntPtr Text;
        public double Time; // seconds since the Unix epoch

        public double[] CopyValues()
        {
            var values = new double[Count > 0 && Values != IntPtr.Zero ? Count : 0];
            if (values.Length > 0)
                Marshal.Copy(Values, values, 0, values.Length);
            return values;
        }

        public string CopyText()
        {
            return Text == IntPtr.Zero ? null : Api.Utf8(Text);
        }
    }

    public enum EventKind
    {
        Link = 1, Servo, Mode, Coord, Speed, Running, Robot, Position, Io, Alarm, Transfer, Overflow,
    }

    // Called on a library thread; keep the delegate referenced while it is set.
    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void EventHandler(ref KelvoEvent evt, IntPtr user);
    [UnmanagedFunctionPointer(CallingConvention.Cdecl)]
    public delegate void LogHandler(int level, IntPtr category, IntPtr text, IntPtr user);

    // ---- Events and the library's log ----
    public static partial class Api
    {
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_event_handler(SessionHandle session, EventHandler handler, IntPtr user);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_next_event(SessionHandle session, out KelvoEvent evt, int timeout_ms);
        // The last alarm of the session (Kind 0: none yet), to name the reason of a failed call.
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_last_alarm(SessionHandle session, out KelvoEvent evt);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_trace_size(SessionHandle session, int frames);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_dump_trace(SessionHandle session,
                                                  [MarshalAs(UnmanagedType.LPUTF8Str)] string path);
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern int kelvo_set_log_handler(LogHandler handler, IntPtr user, int min_level);
    }
}
