-- Ardour, headless on the JACK server in force, creates or opens a session with the plug-ins,
-- says it is running, runs until told to stop, then saves the session and closes it.
-- Environment: SESSION (folder), CREATE (a number of monitors and of meters: a new session with
-- that many MIDI tracks with the monitor and audio tracks with the meter; unset: open the
-- session), MONITOR_URI, METER_URI, READY and STOP (files: this script makes READY and waits for
-- STOP, 75 s at most).
local function exists(path)
  local file = io.open(path, "r")
  if file then file:close() end
  return file ~= nil
end

local function fail(message)
  io.stderr:write("ardour_session.lua: " .. message .. "\n")
  os.exit(1)
end

local function add_plugin(route, uri)
  local plugin = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
  if plugin:isnil() then fail("no plug-in " .. uri) end
  if route:add_processor_by_index(plugin, 0, nil, true) ~= 0 then fail("cannot add " .. uri) end
end

-- The tracks are made in one call per kind: Ardour 7.3 making them one by one on a busy machine
-- now and then garbles its requests to the JACK server, with no plug-in loaded at all.
local function create(count)
  local midi = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
  local order = ARDOUR.PresentationInfo.max_order
  local keys = Session:new_midi_track(midi, midi, false, ARDOUR.PluginInfo(), nil, nil, count, "Keys", order,
                                      ARDOUR.TrackMode.Normal, true)
  local bass = Session:new_audio_track(2, 2, nil, count, "Bass", order, ARDOUR.TrackMode.Normal, true)
  -- "Keys 1" to "Keys COUNT" and "Bass 1" to "Bass COUNT", one track or many.
  local index = 0
  for track in keys:iter() do
    index = index + 1
    track:set_name("Keys " .. index)
    add_plugin(track, os.getenv("MONITOR_URI"))
  end
  index = 0
  for track in bass:iter() do
    index = index + 1
    track:set_name("Bass " .. index)
    add_plugin(track, os.getenv("METER_URI"))
  end
  -- What comes in reaches the plug-ins whether the transport rolls or not.
  for track in Session:get_tracks():iter() do
    track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
  end
end

local folder = os.getenv("SESSION")
AudioEngine:set_backend("JACK", "ardour", "")
if AudioEngine:start(false) ~= 0 then fail("the JACK backend does not start") end
local count = tonumber(os.getenv("CREATE") or "")
if count then
  Session = create_session(folder, "session", 48000)
else
  Session = load_session(folder, "session")
end
if not Session then fail("no session in " .. folder) end
if count then create(count) end

io.open(os.getenv("READY"), "w"):close()
local waited = 0
while not exists(os.getenv("STOP")) do
  if waited > 75000000 then fail("never told to stop") end
  ARDOUR.LuaAPI.usleep(50000)
  waited = waited + 50000
end
Session:save_state("", false, false, false, false, false)
close_session()
